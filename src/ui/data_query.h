// The service's data query as the login uses it.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace xunda {

using DataRow = std::map<std::string, std::string>;

class DataQuery {
public:
    virtual ~DataQuery() = default;
    // Runs the query `url` (the data query's base address followed by its quoted arguments) and
    // fills `rows` with the reply's rows; 0 on success, else the failure's code. Runs on a worker.
    virtual int GetData(const std::string& url, std::vector<DataRow>& rows) = 0;
};

}  // namespace xunda

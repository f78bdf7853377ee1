// Importing numbers from a file into a number memo: the open dialog's filter and the import that
// tells the user about a file it cannot read.
#pragma once

#include <string>
#include <vector>

namespace xunda {

class Shell;

// The open dialog's filter of the number imports (either case of each extension).
inline constexpr const char* kMobsImportFilter =
    "*.* (*.*);;EXCEL (*.xls *.xlsx *.XLS *.XLSX);;EXCEL_CSV (*.csv *.CSV);;TXT (*.txt *.TXT);;"
    "DOC (*.doc *.docx *.DOC *.DOCX);;XML (*.xml *.XML);;HTM (*.htm *.HTM);;HTML (*.html *.HTML);;RTF (*.rtf "
    "*.RTF)";

// ImportMobsFile (any thread). A file it cannot read is logged and told ("文件读取失败: " + file),
// then the FileReadError passes on, so that the memo keeps its text.
std::vector<std::string> ImportMobsFileOrTell(Shell& shell, const std::string& file);

}  // namespace xunda

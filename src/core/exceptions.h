// The exception classes of the program's libraries, each carrying its English message text.
//
// EStreamError: encodings and streams; EFilerError (a stream error): structure and parse errors of
// stored or received data; EListError: a list index out of range; EConvertError: a text that does
// not convert to the number or date asked for. Exception itself is the plain kind for the rest.
#pragma once

#include <stdexcept>
#include <string>

namespace xunda {

class Exception : public std::runtime_error {
  public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

class EStreamError : public Exception {
  public:
    using Exception::Exception;
};

class EFilerError : public EStreamError {
  public:
    using EStreamError::EStreamError;
};

class EListError : public Exception {
  public:
    using Exception::Exception;
};

class EConvertError : public Exception {
  public:
    using Exception::Exception;
};

}  // namespace xunda

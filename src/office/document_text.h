// Reading the whole text of word-processor documents: .docx through the ZIP container and the XML
// model, .doc through the antiword program (which keeps tables). Both give the main text as it
// stands with tracked deletions still in it (as the text of the document's range holds them),
// without headers and footers.
#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace xunda {

// The text of a .docx: one line per paragraph, its runs joined. Throws std::runtime_error (or the
// XML model's exceptions) when the file cannot be read or makes more than 64 MiB of text.
std::string ReadDocxText(const std::filesystem::path& file);

// The standard output of `program` (found on PATH, started without a shell, its input and error
// output on /dev/null) when it exits with status 0 within `timeout` and writes at most `maxBytes`;
// otherwise it is killed if still running and the result is nullopt.
std::optional<std::string> RunProgramOutput(const std::string& program, const std::vector<std::string>& args,
                                            std::chrono::milliseconds timeout, std::size_t maxBytes);

// The text of a .doc by `antiword -w 0 -m UTF-8.txt -- <file>` (30 s at most, 64 MiB of text at
// most); nullopt when antiword is missing, fails or hangs. `program` replaces antiword for tests.
std::optional<std::string> ReadDocText(const std::filesystem::path& file,
                                       const std::string& program = "antiword");

}  // namespace xunda

// Differential check of the XML reading side on arbitrary bytes; the first byte picks the inner
// form and a piece size. Two ways that must agree:
//  - the codec over the whole source and over a source that gives a few bytes per read (every
//    character cut by a piece boundary somewhere): the same characters, positions and seeks back;
//  - a document loaded from the bytes as UTF-8 and as UTF-16 in either byte order, each with its
//    mark, and read from the UTF-8 text by a parser without a codec (character by character,
//    never from decoded runs, so without the plain start tag's one-pass reading): the same tree, or
//    the same error.
// Shared by the fuzz target and the test that runs its seeds.
#pragma once

#include <string>
#include <string_view>

namespace xunda::test {

// Empty when every way agrees, else which ways differ.
std::string DifferentialMismatch(std::string_view input);

}  // namespace xunda::test

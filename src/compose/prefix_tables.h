// The prefix tables that recognise Chinese mobile and fixed-line numbers in free text.
//
// An entry that begins with "*" is a prefix followed by 8 digits; an entry without the marker is a
// prefix followed by 7 digits. No entry of any table is the beginning of another entry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace xunda {

// The three tables, usable as bits of a table set.
enum class PrefixTable : std::uint8_t { Mobile1 = 1, Mobile2 = 2, AreaCode = 4 };

struct PrefixEntry {
    std::string_view entry;  // with its "*" marker
    PrefixTable table;
};

// Every entry in table order: the first mobile table (17), the second (12), the area codes (336).
std::span<const PrefixEntry> AllPrefixEntries();

// The entry without its marker.
std::string_view PrefixOf(std::string_view entry);
// Length of a number that starts with this entry: prefix length + 8 with the marker, + 7 without.
std::size_t NumberLength(std::string_view entry);

}  // namespace xunda

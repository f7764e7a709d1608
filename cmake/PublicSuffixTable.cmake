# Writes the rules of the Public Suffix List as a sorted C++ table.
#
#   cmake -DLIST=public_suffix_list.dat -DOUTPUT=public_suffix_rules.h -P PublicSuffixTable.cmake
#
# A rule is a line's text up to its first blank: a name ("org", "co.uk"), a
# wildcard ("*.ck") or an exception ("!www.ck"). Every section counts, the
# ICANN names and the private ones (github.io) alike; comments ("//") and
# blank lines are skipped. So are the rules the list writes outside ASCII
# (internationalized names, in Unicode rather than in their xn-- form): a
# kept site is ASCII, so none of them could match as written. Anything else
# that is not a rule stops the build rather than being left out unseen.
if(NOT LIST OR NOT OUTPUT)
    message(FATAL_ERROR "Usage: cmake -DLIST=public_suffix_list.dat -DOUTPUT=table.h -P ${CMAKE_CURRENT_LIST_FILE}")
endif()

# Only lines whose first non-blank character is not "/": comments never reach
# the list below, so their semicolons and brackets cannot split or join lines.
file(STRINGS "${LIST}" lines REGEX "^[ \t]*[^/ \t]" ENCODING UTF-8)
set(rules "")
set(unicode 0)
foreach(line IN LISTS lines)
    string(STRIP "${line}" line)
    string(REGEX MATCH "^[^ \t]+" rule "${line}")
    if(NOT rule MATCHES "^[ -~]+$")
        math(EXPR unicode "${unicode} + 1")
        continue()
    endif()
    string(TOLOWER "${rule}" rule)
    if(NOT rule MATCHES "^!?(\\*\\.)?[a-z0-9_-]+(\\.[a-z0-9_-]+)*$")
        message(FATAL_ERROR "${LIST}: not a rule: '${line}'")
    endif()
    list(APPEND rules "${rule}")
endforeach()
list(REMOVE_DUPLICATES rules)
list(SORT rules COMPARE STRING CASE SENSITIVE ORDER ASCENDING)
list(LENGTH rules count)
if(count LESS 1000)
    message(FATAL_ERROR "${LIST}: only ${count} rules; is it the Public Suffix List?")
endif()

list(JOIN rules "\",\n    \"" body)
file(WRITE "${OUTPUT}.new"
"// Written at build time by cmake/PublicSuffixTable.cmake from public_suffix_list.dat:
// its ${count} rules in ASCII, sorted, each once (${unicode} rules written in Unicode left out).
#pragma once
#include <array>
#include <string_view>

namespace purgelet::generated {

inline constexpr std::array<std::string_view, ${count}> kPublicSuffixRules = {
    \"${body}\",
};

}  // namespace purgelet::generated
")
file(RENAME "${OUTPUT}.new" "${OUTPUT}")

#include "core/PublicSuffix.h"

#include <algorithm>
#include <string>

// The rules as the list writes them ("org", "*.ck", "!www.ck"), sorted; made
// from the list at build time (cmake/PublicSuffixTable.cmake).
#include "public_suffix_rules.h"

namespace purgelet {

namespace {

constexpr const auto& kRules = generated::kPublicSuffixRules;
static_assert(std::ranges::adjacent_find(kRules, std::ranges::greater_equal{}) == kRules.end(),
              "the rules must be sorted, each once, for the binary search");

// Whether the rule marked ("!", "*.", or nothing) and naming name is in the list.
bool IsRule(std::string_view mark, std::string_view name) {
    std::string rule;
    rule.reserve(mark.size() + name.size());
    rule.append(mark).append(name);
    return std::binary_search(kRules.begin(), kRules.end(), rule);
}

}  // namespace

bool IsPublicSuffix(std::string_view host) {
    if (host.empty()) return false;
    if (IsRule("!", host)) return false;
    if (IsRule("", host)) return true;
    const std::size_t dot = host.find('.');
    return dot != std::string_view::npos && IsRule("*.", host.substr(dot + 1));
}

}  // namespace purgelet

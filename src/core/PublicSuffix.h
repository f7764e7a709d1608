#pragma once
// Whether a host name is a public suffix, one that many sites share (org, co.uk, github.io), by the list built in.
#include <string_view>

namespace purgelet {

// host: lower case, no leading dot, labels joined by single dots (as CheckSite
// gives a site). It is a public suffix when a rule of the Public Suffix List
// names it, or a wildcard rule covers it ("*.ck" covers "foo.ck") and no
// exception rule names it ("!www.ck" keeps "www.ck" a site). Only what the
// list writes counts: its implied rule "*", by which every single label the
// list does not name is a suffix too, is left to the caller.
bool IsPublicSuffix(std::string_view host);

}  // namespace purgelet

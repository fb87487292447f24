// A corpus of hostile pages, made by code: deep nesting of every common element (tables too),
// unclosed and misnested formatting elements, many forms, many radio buttons, huge attributes
// and texts, invalid UTF-8, and pages that sit just inside each limit of the HTML reader or far
// past it. Each page is a few megabytes at most.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace veltrix::test {

struct HostilePage {
    std::string name;                   // letters, digits and '_': usable as a file and a test name
    std::function<std::string()> make;  // the page's HTML, made when asked for
    // The page ends in a login form that survives the limits and must be found.
    bool endsInLogin = false;
    // The page nests elements past the nesting limit, which says so.
    bool nestsPastLimit = false;
};

std::vector<HostilePage> HostilePages();

}  // namespace veltrix::test

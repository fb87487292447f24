// The browse-script lines that drive the password generator's in-memory window, all starting with
// "generator":
//   generator length N                      types N into the length field
//   generator check|uncheck CLASS           ticks or clears a box: upper, lower, numbers, similar,
//                                           special
//   generator special TEXT                  types the special set
//   generator type TEXT                     types into the password field
//   generator press BUTTON                  generate, fill, copy, reset, close or help
//   generator expect visible|hidden         the window's visibility
//   generator expect enabled|disabled WHAT  generate, fill, copy or special (the special set)
//   generator expect length N               the password has N characters
//   generator expect pool TEXT              every character of the password occurs in TEXT
//   generator expect output TEXT            the password field holds exactly TEXT
//   generator expect clipboard              the clipboard holds the password
//   generator expect filled SELECTOR        the page's field holds the password
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "browserhost/headless_browser.h"
#include "formengine/generator/memory_generator_views.h"
#include "ui/scripted_ui.h"

namespace veltrix::browserhost {

// Whether a "generator" line has a known shape; false with `error` set.
bool CheckGeneratorLine(const std::vector<std::string>& words, std::string& error);

// What a generator line acts on.
struct GeneratorScriptContext {
    generator::MemoryGeneratorViews& views;
    ui::ScriptedUi& ui;
    HeadlessBrowser& browser;
    std::ostream& out;
};

// Runs a checked "generator" line; false with `error` set when the window is missing, a control
// is disabled or an expectation fails.
bool RunGeneratorLine(const std::vector<std::string>& words, GeneratorScriptContext& context,
                      std::string& error);

}  // namespace veltrix::browserhost

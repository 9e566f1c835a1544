#pragma once

#include <functional>

namespace kv::gui {

// How a dialog opens a help topic by its context number (the main window passes its help
// window's showTopic). An empty function means no help is available.
using HelpRequest = std::function<void(int context)>;

} // namespace kv::gui

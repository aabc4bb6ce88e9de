#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

namespace varnok {

using GuiTestFactory = std::function<QObject *()>;

inline std::vector<GuiTestFactory> &guiTestRegistry()
{
    static std::vector<GuiTestFactory> registry;
    return registry;
}

struct GuiTestRegistration {
    explicit GuiTestRegistration(GuiTestFactory factory) { guiTestRegistry().push_back(std::move(factory)); }
};

} // namespace varnok

#define VARNOK_GUI_TEST(Class)                                                                                         \
    static varnok::GuiTestRegistration registration##Class([] { return static_cast<QObject *>(new Class); })

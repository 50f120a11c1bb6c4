#pragma once
// The panel item whose title is the live number.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quintrel {

// One entry of the item's menu; an entry without a label is a separator.
struct StatusMenuEntry {
    std::string label;
    std::function<void()> action;
};

class StatusItem {
public:
    virtual ~StatusItem() = default;

    // Whether the item can show a title and be clicked at all.
    virtual bool hasButton() const = 0;
    // `count` is the number the title shows, when it shows one.
    virtual void setTitle(const std::string& title, std::optional<std::uint64_t> count) = 0;
    // Called on the main thread when the left or the right button is released on the item.
    virtual void setAction(std::function<void()> action) = 0;
    // The menu that panels drawing menus themselves show on the right button; each
    // action is called on the main thread.
    virtual void setMenu(std::vector<StatusMenuEntry> entries) = 0;
};

class StatusBar {
public:
    virtual ~StatusBar() = default;
    virtual std::unique_ptr<StatusItem> makeStatusItem() = 0;
};

}  // namespace quintrel

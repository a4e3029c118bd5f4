#pragma once

// Menus: a list of items with titles, key equivalents, tags and actions, shown by the window layer
// (as a pop-up menu at the pointer, or as the menu of a status item).

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace glimmo {

struct MenuItem {
    std::string title;
    std::string keyEquivalent;
    int tag = 0;
    bool isSeparator = false;
    // Chosen by the user.
    std::function<void()> action;

    static MenuItem separator() { return MenuItem{.isSeparator = true}; }
};

class Menu {
public:
    Menu() = default;
    // A menu still shown is closed without telling anyone.
    ~Menu();
    Menu(const Menu&) = delete;
    Menu& operator=(const Menu&) = delete;

    std::vector<MenuItem>& items() { return items_; }
    const std::vector<MenuItem>& items() const { return items_; }
    void addItem(MenuItem item) { items_.push_back(std::move(item)); }

    // Told when the menu closes, whether an item was chosen or not.
    void setDidCloseHandler(std::function<void()> handler) { didClose_ = std::move(handler); }
    // Runs item `index` (what a choice by the user does) and then closes the menu.
    void choose(std::size_t index);
    // Called by the window layer when the shown menu closes.
    void notifyDidClose() const;

    // Shows the menu at the pointer and returns at once; when the user chooses an item its action runs,
    // then the close handler.
    void popUpAtPointer();
    bool isOpen() const { return static_cast<bool>(closeShown_); }
    // Closes a shown menu without a choice.
    void cancel();
    // For the window layer: how to close the shown menu; cleared when it closed.
    void setShownCloser(std::function<void()> closer) { closeShown_ = std::move(closer); }

private:
    std::function<void()> closeShown_;
    // Takes the shown menu away without signals (set by the window layer).
    std::function<void()> discardShown_;
    std::vector<MenuItem> items_;
    std::function<void()> didClose_;
};

} // namespace glimmo

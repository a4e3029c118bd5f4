#pragma once

// A window toolbar: items asked of a delegate by identifier, shown in the delegate's default order,
// some of them selectable (one selected at a time). The model is plain; the window that shows the
// toolbar follows its changes.

#include "platform/view/Image.h"
#include "platform/window/Menu.h"
#include "platform/window/NativeView.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace glimmo {

struct ToolbarItem {
    std::string identifier;
    std::string label;
    std::optional<Image> image;
    // Clicked by the user.
    std::function<void()> action;
    // A control shown in place of icon and label (item groups).
    std::shared_ptr<NativeView> view;
    std::vector<std::shared_ptr<ToolbarItem>> subitems;
    // What the toolbar shows when it presents the item as a menu entry.
    std::optional<MenuItem> menuFormRepresentation;
};

inline const std::string toolbarFlexibleSpaceItemIdentifier = "NSToolbarFlexibleSpaceItem";

class ToolbarDelegate {
public:
    virtual ~ToolbarDelegate() = default;
    virtual std::vector<std::string> toolbarDefaultItemIdentifiers() = 0;
    virtual std::vector<std::string> toolbarAllowedItemIdentifiers() = 0;
    virtual std::vector<std::string> toolbarSelectableItemIdentifiers() = 0;
    virtual std::shared_ptr<ToolbarItem> toolbarItem(const std::string& identifier, bool willBeInserted) = 0;
};

class Toolbar {
public:
    enum class DisplayMode : std::uint8_t { automatic = 0, iconAndLabel = 1, iconOnly = 2, labelOnly = 3 };

    explicit Toolbar(std::string identifier);
    const std::string& identifier() const { return identifier_; }

    // Held weakly.
    void setDelegate(std::weak_ptr<ToolbarDelegate> delegate) { delegate_ = std::move(delegate); }
    std::shared_ptr<ToolbarDelegate> delegate() const { return delegate_.lock(); }

    bool allowsUserCustomization = false;
    DisplayMode displayMode = DisplayMode::automatic;
    bool showsBaselineSeparator = true;

    bool isVisible() const { return visible_; }
    void setVisible(bool visible);

    // The items now in the toolbar, in order (flexible spaces are items too).
    const std::vector<std::shared_ptr<ToolbarItem>>& items() const { return items_; }
    // Asks the delegate for its default items again.
    void reloadItems();
    void removeItem(std::size_t index);
    // Asks the delegate for a new item with this identifier and puts it at `index`.
    void insertItem(const std::string& identifier, std::size_t index);

    const std::optional<std::string>& selectedItemIdentifier() const { return selected_; }
    void setSelectedItemIdentifier(std::optional<std::string> identifier);
    bool isSelectable(const std::string& identifier) const;

    // A click on the item at `index`, as the user makes it: selects it when selectable, then runs its action.
    void clickItem(std::size_t index);

    // The window showing the toolbar listens here.
    void setChangeHandler(std::function<void()> handler) { changed_ = std::move(handler); }

private:
    std::shared_ptr<ToolbarItem> makeItem(const std::string& identifier);
    void notify() const;

    std::string identifier_;
    std::weak_ptr<ToolbarDelegate> delegate_;
    bool visible_ = true;
    std::vector<std::shared_ptr<ToolbarItem>> items_;
    std::optional<std::string> selected_;
    std::function<void()> changed_;
};

} // namespace glimmo

#pragma once

// Panes of fixed sizes for the settings tests, with one menu action of their own.

#include "Settings/SettingsPane.h"
#include "platform/view/View.h"

namespace settings::test_panes {

class FixedPane : public SettingsPane {
public:
    FixedPane(std::string id, std::string title, glimmo::CGSize size) : id_(std::move(id)), title_(std::move(title)), size_(size) {}
    Settings::PaneIdentifier paneIdentifier() const override { return Settings::PaneIdentifier(id_); }
    std::string paneTitle() const override { return title_; }
    glimmo::Image toolbarItemIcon() const override { return glimmo::Image::systemName("gearshape"); }
    bool respondsTo(const std::string& action) const override { return action == "resetDefaults:"; }

protected:
    std::shared_ptr<glimmo::NativeView> loadView() override {
        // A pinned inner view gives the pane its fitting size, as content with a size of its own does.
        auto view = glimmo::NativeView::make(glimmo::CGRect({0, 0}, size_));
        auto inner = glimmo::NativeView::make(glimmo::CGRect({0, 0}, size_));
        view->addSubview(inner);
        inner->constrainToSuperviewBounds();
        return view;
    }

private:
    std::string id_, title_;
    glimmo::CGSize size_;
};

inline std::vector<std::shared_ptr<SettingsPane>> threePanes() {
    return {std::make_shared<FixedPane>("general", "General", glimmo::CGSize{400, 200}),
            std::make_shared<FixedPane>("accounts", "Accounts", glimmo::CGSize{500, 300}),
            std::make_shared<FixedPane>("advanced", "Advanced", glimmo::CGSize{300, 250})};
}

} // namespace settings::test_panes

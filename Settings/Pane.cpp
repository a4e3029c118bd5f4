#include "Settings/Pane.h"

#include "platform/view/Font.h"

namespace settings::Settings {

Pane::Pane(PaneIdentifier identifier, std::string title, glimmo::Image toolbarIcon,
           const std::function<glimmo::AnyView()>& content)
    : identifier(std::move(identifier)), title(std::move(title)), toolbarIcon(std::move(toolbarIcon)),
      content(content()) {}

std::shared_ptr<SettingsPane> Pane::makeSettingsPane() const { return std::make_shared<PaneHostingController>(*this); }

PaneHostingController::PaneHostingController(PaneIdentifier identifier, std::string title, glimmo::Image toolbarIcon,
                                             glimmo::AnyView content)
    : paneIdentifier_(std::move(identifier)), paneTitle_(std::move(title)), toolbarItemIcon_(std::move(toolbarIcon)),
      rootView_(std::move(content)) {}

PaneHostingController::PaneHostingController(const Pane& pane)
    : PaneHostingController(pane.identifier, pane.title, pane.toolbarIcon, pane.content) {}

std::shared_ptr<glimmo::NativeView> PaneHostingController::loadView() { return glimmo::NativeView::makeHosting(rootView_); }

} // namespace settings::Settings

namespace settings {

glimmo::AnyView descriptionTextStyle(const glimmo::AnyView& view) {
    return view.font(glimmo::Font::system(11, glimmo::Font::Weight::regular(), glimmo::Font::Design::standard))
        .foregroundColor(glimmo::Color::secondary());
}

} // namespace settings

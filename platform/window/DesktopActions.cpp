#include "platform/window/DesktopActions.h"

#include "platform/desktop/Pasteboard.h"
#include "platform/desktop/SharedService.h"
#include "platform/desktop/URLPolicy.h"
#include "platform/desktop/Workspace.h"

namespace glimmo {

OpenURLAction desktopOpenURLAction() {
    return OpenURLAction([](const URL& url) {
        const std::string& address = url.absoluteString();
        if (!mayOpenWithDesktop(address) || !detail::SharedService<Workspace>::isInstalled()) return;
        Workspace::shared().openURL(address);
    });
}

PasteboardWriterKey::Value desktopPasteboardWriter() {
    return std::make_shared<const std::function<void(const std::string&)>>([](const std::string& text) {
        if (!detail::SharedService<Pasteboard>::isInstalled()) return;
        Pasteboard& pasteboard = Pasteboard::shared();
        pasteboard.clearContents();
        pasteboard.setString(text);
    });
}

AnyView withDesktopActions(AnyView root) {
    return root.environment([open = desktopOpenURLAction(), write = desktopPasteboardWriter()](EnvironmentValues& env) {
        env.set<OpenURLKey>(open);
        env.set<PasteboardWriterKey>(write);
    });
}

} // namespace glimmo

#include "shell/PlaceholderViews.h"

#include "platform/view/Stacks.h"
#include "platform/view/Text.h"

namespace glimmo {

AnyView notBuiltYetView(const std::string& notice) {
    return AnyView(VStack(HorizontalAlignment::center(), std::nullopt,
                          {AnyView(Text("GlimmoDemo").font(Font::headline())), AnyView(Text(notice))}))
        .padding(20);
}

} // namespace glimmo

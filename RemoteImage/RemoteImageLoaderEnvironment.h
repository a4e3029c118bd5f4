#pragma once

#include "platform/view/Environment.h"
#include "platform/view/View.h"
#include "RemoteImage/RemoteImageLoader.h"

#include <memory>

namespace remoteimage {

// The loader that remote image views below use. Its default, DefaultRemoteImageLoader::shared(), is
// taken once, on first use.
struct RemoteImageLoaderKey {
    using Value = std::shared_ptr<RemoteImageLoader>;
    static Value defaultValue();
};

// The environment value `remoteImageLoader`.
std::shared_ptr<RemoteImageLoader> remoteImageLoader(const glimmo::EnvironmentValues& environment);
void setRemoteImageLoader(glimmo::EnvironmentValues& environment, std::shared_ptr<RemoteImageLoader> loader);

// The view with `loader` as the remote image loader for it and everything inside it.
glimmo::AnyView remoteImageLoader(glimmo::AnyView view, std::shared_ptr<RemoteImageLoader> loader);

} // namespace remoteimage

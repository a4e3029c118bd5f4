#include "RemoteImage/RemoteImageLoaderEnvironment.h"

#include "RemoteImage/DefaultRemoteImageLoader.h"

#include <utility>

namespace remoteimage {

RemoteImageLoaderKey::Value RemoteImageLoaderKey::defaultValue() { return DefaultRemoteImageLoader::shared(); }

std::shared_ptr<RemoteImageLoader> remoteImageLoader(const glimmo::EnvironmentValues& environment) {
    return environment.get<RemoteImageLoaderKey>();
}

void setRemoteImageLoader(glimmo::EnvironmentValues& environment, std::shared_ptr<RemoteImageLoader> loader) {
    environment.set<RemoteImageLoaderKey>(std::move(loader));
}

glimmo::AnyView remoteImageLoader(glimmo::AnyView view, std::shared_ptr<RemoteImageLoader> loader) {
    return view.environment<RemoteImageLoaderKey>(std::move(loader));
}

} // namespace remoteimage

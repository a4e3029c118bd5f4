#pragma once

#include "platform/runtime/Observable.h"
#include "platform/runtime/Task.h"
#include "platform/view/Animation.h"
#include "RemoteImage/ImageSource.h"
#include "RemoteImage/RemoteImageLoader.h"
#include "RemoteImage/RemoteImageState.h"

#include <memory>
#include <optional>

namespace remoteimage {

// The state behind one remote image view. Lives on the main thread; make it with std::make_shared,
// since a load in progress keeps the model alive until the loader answers.
class RemoteImageModel final : public glimmo::ObservableObject,
                               public std::enable_shared_from_this<RemoteImageModel> {
public:
    RemoteImageModel();

    // The source of the last accepted update.
    glimmo::Published<std::optional<ImageSource>> source{*this, std::nullopt};
    // What the view shows; starts empty and, once loaded, is a success or a failure from then on.
    glimmo::Published<RemoteImageState> image{*this, RemoteImageState::empty()};
    // Set by the view before every update: a success is published inside it.
    glimmo::Transaction transaction;
    // Set by the view before every update; DefaultRemoteImageLoader::shared() at first.
    std::shared_ptr<RemoteImageLoader> imageLoader;

    // Loads the image of a new source. An unchanged source does nothing (whatever the state); no source
    // publishes none and keeps the state. Otherwise the previous state stays until the loader answers;
    // then a success is published inside `transaction` and a failure outside any transaction. An answer
    // for a source that has since been replaced is dropped. Does not throw.
    glimmo::Task<void> update(std::optional<ImageSource> newSource);
};

} // namespace remoteimage

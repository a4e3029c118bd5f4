#pragma once

// The way decoded pixels become SharedPixels: charged to a budget's live bound (PixelCache.h) before
// they are allocated, for as long as any holder keeps them.

#include "platform/view/PixelCache.h"
#include "platform/view/PixelImage.h"

#include <memory>
#include <string_view>

namespace glimmo {

// Shares `pixels` with `charge` (taken for their bytes), which is given back when the last holder lets
// them go.
SharedPixels sharePixels(PixelImage pixels, PixelCharge charge);

// The first frame of a PNG, JPEG, GIF or WebP file, upright at `scale` pixels per point. The memory the
// decoder works in besides the pixels is charged too, until the decode ends. Throws ImageDecodingError:
// budgetSpent when the pixels, or the pixels and that memory, would pass the live bound even after the
// caches let go of what only they hold.
SharedPixels decodePixels(std::string_view bytes, double scale = 1,
                          const std::shared_ptr<PixelBudget>& budget = PixelBudget::shared());

// `pixels` at another scale and orientation: the same image when it already has them, otherwise a
// charged copy. Throws ImageDecodingError (budgetSpent) when the copy does not fit.
SharedPixels withScaleAndOrientation(const SharedPixels& pixels, double scale, ImageOrientation orientation,
                                     const std::shared_ptr<PixelBudget>& budget = PixelBudget::shared());

} // namespace glimmo

// Threading: requests on the main thread, completions on ScreenCaptureKit's queue (see
// MacScreenCapture.hpp). ARC.

#include "adapters/macos/MacScreenCapture.hpp"

#import <ScreenCaptureKit/ScreenCaptureKit.h>

#include <mutex>

#include "adapters/macos/CGImageBitmap.hpp"

namespace stowbar {

struct MacScreenCapture::Listing {
    std::mutex mutex;
    NSArray<SCWindow*>* windows = nil;
};

MacScreenCapture::MacScreenCapture() : listing_(std::make_shared<Listing>()) {}

MacScreenCapture::~MacScreenCapture() = default;

void MacScreenCapture::getShareableContent(ContentCompletion completion) {
    const std::shared_ptr<Listing> listing = listing_;
    [SCShareableContent
        getShareableContentWithCompletionHandler:^(SCShareableContent* content, NSError* error) {
          if (content == nil || error != nil) {
              completion(std::nullopt);
              return;
          }
          NSArray<SCWindow*>* windows = content.windows;
          {
              const std::lock_guard lock(listing->mutex);
              listing->windows = windows;
          }
          std::vector<ShareableWindow> result;
          result.reserve(windows.count);
          for (SCWindow* window in windows) {
              result.push_back(ShareableWindow{static_cast<std::uint32_t>(window.windowID)});
          }
          completion(std::move(result));
        }];
}

void MacScreenCapture::captureImage(const ShareableWindow& window,
                                    const CaptureConfiguration& configuration,
                                    ImageCompletion completion) {
    SCWindow* match = nil;
    {
        const std::lock_guard lock(listing_->mutex);
        for (SCWindow* candidate in listing_->windows) {
            if (candidate.windowID == window.windowID) {
                match = candidate;
                break;
            }
        }
    }
    if (match == nil || configuration.width < 1 || configuration.height < 1) {
        completion(std::nullopt);
        return;
    }
    const auto width = static_cast<std::size_t>(configuration.width);
    const auto height = static_cast<std::size_t>(configuration.height);
    SCContentFilter* filter = [[SCContentFilter alloc] initWithDesktopIndependentWindow:match];
    SCStreamConfiguration* settings = [[SCStreamConfiguration alloc] init];
    settings.width = width;
    settings.height = height;
    settings.scalesToFit = configuration.scalesToFit;
    settings.showsCursor = configuration.showsCursor;
    settings.captureResolution =
        configuration.bestResolution ? SCCaptureResolutionBest : SCCaptureResolutionAutomatic;
    [SCScreenshotManager captureImageWithFilter:filter
                                  configuration:settings
                              completionHandler:^(CGImageRef image, NSError* error) {
                                if (image == nullptr || error != nil) {
                                    completion(std::nullopt);
                                    return;
                                }
                                completion(bitmapFromCGImage(image, width, height));
                              }];
}

}  // namespace stowbar

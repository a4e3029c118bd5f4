#include "platform/imaging/DecoderFormats.h"
#include "platform/imaging/DecodingWork.h"

#include <csetjmp>
#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>

namespace glimmo::decoding {

namespace {

enum class JPEGReadOutcome { decoded, failed, tooLarge, tooManyScans, tooMuchWork };

// libjpeg reports fatal errors through error_exit, which must not return: we jump back into
// readJPEG. Only libjpeg's own C frames lie between the setjmp and the jump. The progress monitor
// jumps back the same way when the decode passes a bound.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jumpBuffer;
    char message[JMSG_LENGTH_MAX] = {};
};

void exitWithError(j_common_ptr info) {
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, manager->message);
    std::longjmp(manager->jumpBuffer, 1);
}

// Warnings about recoverable damage are not printed; the decoder goes on as far as it can.
void ignoreMessage(j_common_ptr) {}

// Called by libjpeg once per row of blocks or of output, and after each scan header: each new scan
// is counted, with the samples it passes over, before its data is read.
struct ProgressMonitor {
    jpeg_progress_mgr base;
    DecodingWork* work;
    int maximumScans;
    int scans = 0;
    JPEGReadOutcome stop = JPEGReadOutcome::decoded;
};

long long samplesOfScan(const jpeg_decompress_struct& info) {
    long long samples = 0;
    for (int index = 0; index < info.comps_in_scan; ++index) {
        const jpeg_component_info& component = *info.cur_comp_info[index];
        samples += static_cast<long long>(component.width_in_blocks) * component.height_in_blocks * DCTSIZE2;
    }
    return samples;
}

void monitorProgress(j_common_ptr common) {
    auto* monitor = reinterpret_cast<ProgressMonitor*>(common->progress);
    const auto& info = *reinterpret_cast<j_decompress_ptr>(common);
    long long samples = 0;
    if (info.input_scan_number > monitor->scans) {
        monitor->scans = info.input_scan_number;
        if (monitor->scans > monitor->maximumScans) monitor->stop = JPEGReadOutcome::tooManyScans;
        samples = samplesOfScan(info);
    }
    if (monitor->stop == JPEGReadOutcome::decoded && !monitor->work->tryAdd(samples)) monitor->stop = JPEGReadOutcome::tooMuchWork;
    if (monitor->stop != JPEGReadOutcome::decoded) std::longjmp(reinterpret_cast<ErrorManager*>(common->err)->jumpBuffer, 1);
}

// A file of several scans (progressive, or one component per scan) is read whole before the first
// row comes out: libjpeg keeps every coefficient of the image, two bytes each, in whole rows of MCUs.
std::size_t coefficientBytes(const jpeg_decompress_struct& info) {
    if (!jpeg_has_multiple_scans(const_cast<j_decompress_ptr>(&info))) return 0;
    const auto roundUp = [](std::size_t value, int multiple) {
        const auto step = static_cast<std::size_t>(multiple > 0 ? multiple : 1);
        return (value + step - 1) / step * step;
    };
    std::size_t bytes = 0;
    for (int index = 0; index < info.num_components; ++index) {
        const jpeg_component_info& component = info.comp_info[index];
        bytes += roundUp(component.width_in_blocks, component.h_samp_factor) *
                 roundUp(component.height_in_blocks, component.v_samp_factor) * sizeof(JBLOCK);
    }
    return bytes;
}

// Adobe CMYK files store the channels inverted; others store plain CMYK.
void convertCMYKRow(std::uint8_t* row, JDIMENSION width, bool inverted) {
    for (JDIMENSION x = 0; x < width; ++x) {
        std::uint8_t* pixel = row + static_cast<std::size_t>(x) * 4;
        const int k = inverted ? pixel[3] : 255 - pixel[3];
        for (int channel = 0; channel < 3; ++channel) {
            const int ink = inverted ? pixel[channel] : 255 - pixel[channel];
            pixel[channel] = static_cast<std::uint8_t>((ink * k + 127) / 255);
        }
        pixel[3] = 255;
    }
}

struct HeaderSize {
    long long width = 0;
    long long height = 0;
};

// The charges may throw; libjpeg's state is freed first.
void admitBuffers(jpeg_decompress_struct& info, const ImageDecodingLimits& limits, const HeaderSize& size) {
    try {
        admitPixelBytes(static_cast<std::size_t>(size.width) * static_cast<std::size_t>(size.height) * 4, limits);
        const std::size_t coefficients = coefficientBytes(info);
        admitWorkspaceBytes(coefficients, limits);
        // A backstop should the count above ever fall short: libjpeg refuses to allocate its whole-image
        // arrays past what was charged, with room for its buffers of a few rows.
        info.mem->max_memory_to_use =
            static_cast<long>(coefficients + static_cast<std::size_t>(size.width) * 64 * info.num_components + (1 << 20));
    } catch (...) {
        jpeg_destroy_decompress(&info);
        throw;
    }
}

// Kept free of objects with destructors because of the longjmp; `image` lives in the caller.
JPEGReadOutcome readJPEG(std::string_view bytes, const ImageDecodingLimits& limits, ErrorManager& errors,
                     ProgressMonitor& monitor, HeaderSize& size, DecodedImage& image) {
    jpeg_decompress_struct info;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = exitWithError;
    errors.base.output_message = ignoreMessage;
    if (setjmp(errors.jumpBuffer) != 0) {
        jpeg_destroy_decompress(&info);
        return monitor.stop == JPEGReadOutcome::decoded ? JPEGReadOutcome::failed : monitor.stop;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    size.width = info.image_width;
    size.height = info.image_height;
    // Before jpeg_start_decompress, which allocates the buffers that grow with the image.
    if (size.width <= 0 || size.height <= 0 || !fitsLimits(size.width, size.height, limits)) {
        jpeg_destroy_decompress(&info);
        return JPEGReadOutcome::tooLarge;
    }
    admitBuffers(info, limits, size);
    monitor.base.progress_monitor = monitorProgress;
    info.progress = &monitor.base;
    const bool isCMYK = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = isCMYK ? JCS_CMYK : JCS_EXT_RGBA;
    jpeg_start_decompress(&info);
    image.width = static_cast<int>(info.output_width);
    image.height = static_cast<int>(info.output_height);
    const std::size_t stride = static_cast<std::size_t>(info.output_width) * 4;
    image.rgba.resize(stride * info.output_height);
    while (info.output_scanline < info.output_height) {
        if (!monitor.work->tryAdd(info.output_width)) {
            jpeg_destroy_decompress(&info);
            return JPEGReadOutcome::tooMuchWork;
        }
        JSAMPLE* row = image.rgba.data() + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
        if (isCMYK) convertCMYKRow(row, info.output_width, info.saw_Adobe_marker != 0);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return JPEGReadOutcome::decoded;
}

} // namespace

DecodedImage decodeJPEG(std::string_view bytes, const ImageDecodingLimits& limits) {
    ErrorManager errors;
    DecodingWork work(limits, "JPEG");
    ProgressMonitor monitor{{}, &work, limits.maximumScans};
    HeaderSize size;
    DecodedImage image;
    switch (readJPEG(bytes, limits, errors, monitor, size, image)) {
    case JPEGReadOutcome::decoded: return image;
    case JPEGReadOutcome::tooLarge:
        checkedPixelBytes(size.width, size.height, limits, "JPEG");  // throws with the details
        throwMalformed("JPEG", "unexpected size");
    case JPEGReadOutcome::tooManyScans:
        DecodingWork::refuse("JPEG", "has more than " + std::to_string(limits.maximumScans) + " scans");
    case JPEGReadOutcome::tooMuchWork: work.refuse();
    case JPEGReadOutcome::failed: break;
    }
    throwMalformed("JPEG", errors.message);
}

} // namespace glimmo::decoding

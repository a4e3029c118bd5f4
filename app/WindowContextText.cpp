#include "app/WindowContextText.h"

#include "app/BoundedText.h"
#include "platform/desktop/Accessibility.h"
#include "platform/foundation/Text.h"

#include <chrono>
#include <vector>

namespace glimmo {
namespace {

class TreeWalk {
public:
    TreeWalk(const ElementTreeLimits& limits)
        : limits_(limits), deadline_(std::chrono::steady_clock::now() +
                                     std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                         std::chrono::duration<double>(limits.maxSeconds))) {}

    void visit(const AccessibilityElement& element, int depth) {
        if (stopped_) {
            return;
        }
        if (++elements_ > limits_.maxElements || std::chrono::steady_clock::now() > deadline_) {
            stopped_ = true;
            return;
        }
        std::vector<std::string> parts;
        if (const auto title = element.title(); title && !title->empty()) {
            parts.push_back("Title: " + *title);
        }
        if (const auto value = element.value(); value && !value->empty()) {
            const std::string part = "Value: " + *value;
            if (parts.empty() || parts.back() != "Title: " + *value) {
                parts.push_back(part);
            }
        }
        if (const auto description = element.elementDescription(); description && !description->empty()) {
            parts.push_back("Desc: " + *description);
        }
        if (const auto help = element.help(); help && !help->empty()) {
            parts.push_back("Help: " + *help);
        }

        std::string line = std::string(static_cast<std::size_t>(depth) * 2, ' ') + "[" +
                           element.role().value_or("UnknownRole") + "] ";
        for (std::size_t i = 0; i < parts.size(); ++i) {
            if (i > 0) {
                line += "; ";
            }
            line += parts[i];
        }
        const std::size_t index = lines_.size();
        const std::size_t lineLength = graphemeCount(line) + (index > 0 ? 1 : 0);
        lines_.push_back(std::move(line));
        characters_ += lineLength;
        // A line with parts stays, and with it every line above; once the kept text is longer
        // than the prompt can carry, the rest would be cut away anyway.
        if (!parts.empty() && characters_ > limits_.maxCharacters) {
            stopped_ = true;
            return;
        }

        if (depth < limits_.maxDepth) {
            for (const auto& child : element.children(limits_.maxChildrenPerElement)) {
                if (stopped_) {
                    break;
                }
                if (child) {
                    visit(*child, depth + 1);
                }
            }
        }
        if (parts.empty() && lines_.size() == index + 1) {
            lines_.pop_back();
            characters_ -= lineLength;
        }
    }

    std::string text() const {
        std::string result;
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            if (i > 0) {
                result += "\n";
            }
            result += lines_[i];
        }
        return result;
    }

private:
    const ElementTreeLimits& limits_;
    const std::chrono::steady_clock::time_point deadline_;
    std::vector<std::string> lines_;
    std::size_t elements_ = 0;
    std::size_t characters_ = 0;
    bool stopped_ = false;
};

} // namespace

std::string elementTreeText(const AccessibilityElement& element, int depth, const ElementTreeLimits& limits) {
    TreeWalk walk(limits);
    walk.visit(element, depth);
    return walk.text();
}

bool isSensitiveWindowTitle(std::string_view title) {
    const std::string lower = lowercased(title);
    return lower.find("login") != std::string::npos || lower.find("password") != std::string::npos ||
           lower.find("authentication") != std::string::npos;
}

std::string firstWindowText(Accessibility& accessibility, int processIdentifier, const ElementTreeLimits& limits) {
    const std::shared_ptr<AccessibilityElement> window = accessibility.firstWindowOfApplication(processIdentifier);
    if (!window) {
        return {};
    }
    if (const auto title = window->title(); title && isSensitiveWindowTitle(*title)) {
        return {};
    }
    return elementTreeText(*window, 0, limits);
}

std::string cutText(const std::string& text, std::size_t limit) {
    if (text.size() > limit && graphemeCount(text) > limit) {
        return prefixGraphemes(text, limit) + "...";
    }
    return text;
}

std::string storedWindowText(std::string text) {
    // A text that fits is handed back as it came: every record a start loads passes through here.
    if (text.size() <= storedWindowTextLimit) {
        return text;
    }
    return textWithinBytes(text, storedWindowTextLimit);
}

std::string windowContextPrompt(const std::string& tree) {
    return std::string(windowContextInstruction) + cutText(tree, windowTreeCharacterLimit) + " ";
}

} // namespace glimmo

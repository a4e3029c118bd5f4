#pragma once

// Forms as a desktop settings page shows them: sections one under the other, each with an optional
// header above its rows.

#include "platform/view/View.h"

#include <optional>
#include <string>
#include <vector>

namespace glimmo {

class Section : public View<Section> {
public:
    explicit Section(std::vector<AnyView> content) : content_(std::move(content)) {}
    // Section(header:) with a text header
    Section(std::string header, std::vector<AnyView> content) : header_(std::move(header)), content_(std::move(content)) {}
    AnyView body() const;

private:
    std::optional<std::string> header_;
    std::vector<AnyView> content_;
};

class Form : public View<Form> {
public:
    explicit Form(std::vector<AnyView> sections) : sections_(std::move(sections)) {}
    AnyView body() const;

private:
    std::vector<AnyView> sections_;
};

} // namespace glimmo

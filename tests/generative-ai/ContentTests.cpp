#include "generative-ai/ImageConversionError.h"
#include "generative-ai/JSONValue.h"
#include "generative-ai/PartsRepresentable.h"
#include "platform/imaging/JPEGEncoding.h"

#include <gtest/gtest.h>

#include <cmath>

namespace genai {
namespace {

using Part = ModelContent::Part;

glimmo::DecodedImage grayImage(int width, int height) {
    return glimmo::DecodedImage{width, height, 1, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 4, 128)};
}

TEST(PartsConversion, StringsPartsAndListsBecomePartsInOrder) {
    EXPECT_EQ(PartsRepresentable("").representedParts(), std::vector{Part::text("")});
    EXPECT_EQ(ThrowingPartsRepresentable(std::vector<ThrowingPartsRepresentable>{}).convertToParts(),
              std::vector<Part>{});
    const ThrowingPartsRepresentable nested(std::vector<ThrowingPartsRepresentable>{
        "a", Part::fileData("x/y", "u"), std::vector<ThrowingPartsRepresentable>{"b", std::string("c")}});
    EXPECT_EQ(nested.convertToParts(),
              (std::vector{Part::text("a"), Part::fileData("x/y", "u"), Part::text("b"), Part::text("c")}));

    EXPECT_EQ(makeContent("hi"), ModelContent("user", {Part::text("hi")}));
    EXPECT_EQ(makeContent(std::vector<PartsRepresentable>{"a", Part::text("b")}, "model"),
              ModelContent("model", {Part::text("a"), Part::text("b")}));
    EXPECT_EQ(makeContent("x", std::nullopt).role, std::nullopt);
}

TEST(PartsConversion, ImagesBecomeOneJPEGPart) {
    const auto parts = ThrowingPartsRepresentable(grayImage(6, 3)).convertToParts();
    ASSERT_EQ(parts.size(), 1u);
    const auto* data = parts[0].as<Part::InlineData>();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->mimetype, "image/jpeg");
    ASSERT_GT(data->bytes.size(), 4u);
    EXPECT_EQ(data->bytes[0], 0xFF);
    EXPECT_EQ(data->bytes[1], 0xD8);
    // Encoded at quality 0.8: the quantisation tables differ at any other quality.
    EXPECT_EQ(data->bytes, glimmo::encodeJPEG(grayImage(6, 3), 0.8));
    EXPECT_NE(data->bytes, glimmo::encodeJPEG(grayImage(6, 3), 0.75));
    EXPECT_EQ(parts[0].textValue(), std::nullopt);
}

TEST(PartsConversion, AnImageWithoutPixelsStopsTheWholeConversion) {
    const std::vector<ThrowingPartsRepresentable> prompt{"before", glimmo::DecodedImage{}, "after"};
    try {
        (void)makeContentConverting(prompt);
        FAIL() << "expected an image conversion error";
    } catch (const ImageConversionError& error) {
        EXPECT_EQ(error.kind(), ImageConversionError::Kind::invalidUnderlyingImage);
    }
    // A buffer that does not match the size is no bitmap either.
    auto broken = grayImage(4, 4);
    broken.rgba.pop_back();
    EXPECT_THROW(convertToParts(broken), ImageConversionError);

    // The encoder itself refusing the image carries the image along.
    try {
        (void)convertToParts(grayImage(70000, 1));
        FAIL() << "expected an image conversion error";
    } catch (const ImageConversionError& error) {
        EXPECT_EQ(error.kind(), ImageConversionError::Kind::couldNotConvertToJPEG);
        const auto* image = std::any_cast<glimmo::DecodedImage>(&error.object());
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->width, 70000);
    }
}

TEST(ContentEquality, ComparesRolesPartsAndPayloads) {
    EXPECT_EQ(ModelContent(std::nullopt, {}), ModelContent(std::nullopt, {}));
    EXPECT_NE(ModelContent(std::nullopt, {}), ModelContent("user", {}));
    EXPECT_NE(ModelContent("user", {Part::text("a")}), ModelContent("user", {Part::text("a"), Part::text("a")}));
    EXPECT_EQ(Part::jpegImage({1, 2}), Part::data("image/jpeg", {1, 2}));
    EXPECT_NE(Part::jpegImage({1, 2}), Part::pngImage({1, 2}));
    EXPECT_NE(Part::text("a"), Part::fileData("a", "a"));
    EXPECT_EQ(Part::functionCall({"f", JSONObject{{"a", 1}, {"b", "x"}}}),
              Part::functionCall({"f", JSONObject{{"b", "x"}, {"a", 1.0}}}));
    EXPECT_NE(Part::functionCall({"f", {}}), Part::functionCall({"g", {}}));
}

TEST(JSONValueEquality, FollowsKindsAndPayloads) {
    EXPECT_NE(JSONValue(1), JSONValue(true));
    EXPECT_NE(JSONValue("1"), JSONValue(1));
    EXPECT_EQ(JSONValue(nullptr), JSONValue());
    EXPECT_NE(JSONValue(std::nan("")), JSONValue(std::nan("")));
    EXPECT_EQ(JSONValue(JSONArray{1, "a"}), JSONValue(JSONArray{1, "a"}));
    EXPECT_NE(JSONValue(JSONArray{1, "a"}), JSONValue(JSONArray{"a", 1}));
    EXPECT_EQ(JSONValue(3).kind(), JSONValue::Kind::number);
    EXPECT_EQ(JSONValue(JSONObject{}).kind(), JSONValue::Kind::object);
}

} // namespace
} // namespace genai

#include "platform/qt/KitFonts.h"

#include "platform/qt/OffscreenRendering.h"
#include "platform/qt/QtFontMapping.h"
#include "platform/qt/QtTextMeasurer.h"
#include "platform/view/Stacks.h"
#include "platform/view/Text.h"
#include "platform/view/ViewHost.h"
#include "platform/view/SymbolTable.h"
#include "tests/platform/qt/QtTestSupport.h"
#include "tests/support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QFontInfo>
#include <QRawFont>

#include <algorithm>
#include <filesystem>
#include <memory>

namespace glimmo {
namespace {

namespace fs = std::filesystem;

std::string fileName(const std::string& path) { return fs::path(path).filename().string(); }

TEST(KitFontsTest, FindsEveryKitFontUnderTheSystemFontFolder) {
    const KitFontFileSet files = findKitFontFiles();
    std::vector<std::string> interNames;
    for (const auto& f : files.inter) interNames.push_back(fileName(f));
    EXPECT_NE(std::find(interNames.begin(), interNames.end(), "Inter-Regular.otf"), interNames.end());
    EXPECT_NE(std::find(interNames.begin(), interNames.end(), "Inter-Bold.otf"), interNames.end());
    for (const auto& name : interNames) EXPECT_FALSE(name.starts_with("InterDisplay")) << name;
    ASSERT_FALSE(files.monospaced.empty());
    for (const auto& f : files.monospaced) EXPECT_TRUE(fileName(f).starts_with("DejaVuSansMono")) << f;
    EXPECT_EQ(fileName(files.symbols), "materialdesignicons-webfont.ttf");
    EXPECT_EQ(fileName(files.emoji), "NotoColorEmoji.ttf");
}

TEST(KitFontsTest, MissingFontsAreNamedWithTheirPackages) {
    const testing::TemporaryDirectory root;
    const KitFontFileSet system = findKitFontFiles();
    // Only Inter is present: the other two fonts must both be reported.
    fs::create_directories(root.path() / "opentype" / "inter");
    for (const auto& f : system.inter) fs::copy_file(f, root.path() / "opentype" / "inter" / fs::path(f).filename());
    try {
        findKitFontFiles(root.path().string());
        FAIL() << "expected MissingFontError";
    } catch (const MissingFontError& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find("fonts-dejavu-core"), std::string::npos) << message;
        EXPECT_NE(message.find("fonts-materialdesignicons-webfont"), std::string::npos) << message;
        EXPECT_NE(message.find("fonts-noto-color-emoji"), std::string::npos) << message;
        EXPECT_EQ(message.find("fonts-inter"), std::string::npos) << message;
    }
    EXPECT_THROW(findKitFontFiles((root.path() / "no such folder").string()), MissingFontError);
}

TEST(KitFontsTest, LoadedFontsResolveToTheirOwnFamiliesAndWeights) {
    testing::ensureQtApplication();
    loadKitFonts(); // a second load is harmless
    const QStringList families = QFontDatabase::families();
    EXPECT_TRUE(families.contains(QString::fromUtf8(emojiFontFamily)));
    for (const char* family : {systemFontFamily, monospacedFontFamily, symbolFontFamily}) {
        EXPECT_TRUE(families.contains(QString::fromUtf8(family))) << family;
        ResolvedFont font;
        font.family = family;
        EXPECT_EQ(QFontInfo(qtFont(font, 72).font).family().toStdString(), family);
    }
    ResolvedFont semibold;
    semibold.weight = 600;
    const QFontInfo info(qtFont(semibold, 72).font);
    EXPECT_EQ(info.family().toStdString(), "Inter");
    EXPECT_EQ(info.styleName().toStdString(), "Semi Bold");
    EXPECT_EQ(info.weight(), 600);
}

TEST(KitFontsTest, EverySymbolOfTheKitsTableHasAGlyphInTheSymbolFont) {
    testing::ensureQtApplication();
    ResolvedFont font;
    font.family = symbolFontFamily;
    const QRawFont raw = QRawFont::fromFont(qtFont(font, 72).font);
    ASSERT_TRUE(raw.isValid());
    for (const auto& name : knownSymbolNames()) {
        const QString glyph = QString::fromStdString(*symbolGlyph(name));
        EXPECT_TRUE(raw.supportsCharacter(glyph.toUcs4().front())) << name;
    }
}

// Pixels whose colour is clearly not a grey (a colour emoji's yellow face, not a drawn outline).
int colourfulPixels(const PixelImage& image) {
    int count = 0;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const testing::Pixel p = testing::pixelAt(image, x, y);
            if (p.a > 200 && std::max({p.r, p.g, p.b}) - std::min({p.r, p.g, p.b}) > 80) ++count;
        }
    }
    return count;
}

TEST(KitFontsTest, EmojiTheTextFontLacksAreDrawnInColourFromTheEmojiFont) {
    testing::ensureQtApplication();
    const auto measurer = std::make_shared<QtTextMeasurer>();
    ViewHost host(AnyView(HStack({Text("Done \xF0\x9F\x98\x80").font(Font::system(20)).accessibilityLabel("text")})), measurer);
    host.setSize({160, 40});
    const PixelImage image = renderDisplayList(host.displayList(), 2);
    EXPECT_GT(colourfulPixels(image), 100) << "the smiling face is drawn in colour, not as a box or an outline";
    ResolvedFont inter;
    inter.family = systemFontFamily;
    inter.pointSize = 20;
    EXPECT_GT(measurer->advance("\xF0\x9F\x98\x80", inter), 10) << "measured with the emoji font's advance";
}

} // namespace
} // namespace glimmo

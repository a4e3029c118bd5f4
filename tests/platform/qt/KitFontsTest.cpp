#include "platform/qt/KitFonts.h"

#include "platform/qt/QtFontMapping.h"
#include "platform/view/SymbolTable.h"
#include "tests/platform/qt/QtTestSupport.h"
#include "tests/support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QFontInfo>
#include <QRawFont>

#include <filesystem>

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
        EXPECT_EQ(message.find("fonts-inter"), std::string::npos) << message;
    }
    EXPECT_THROW(findKitFontFiles((root.path() / "no such folder").string()), MissingFontError);
}

TEST(KitFontsTest, LoadedFontsResolveToTheirOwnFamiliesAndWeights) {
    testing::ensureQtApplication();
    loadKitFonts(); // a second load is harmless
    const QStringList families = QFontDatabase::families();
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

} // namespace
} // namespace glimmo

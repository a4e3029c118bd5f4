#include "platform/qt/KitFonts.h"

#include "platform/view/Font.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <set>
#include <system_error>

namespace glimmo {
namespace {

namespace fs = std::filesystem;

bool isStaticInter(const std::string& name) {
    return name.starts_with("Inter-") && name.ends_with(".otf");
}

bool isDejaVuSansMono(const std::string& name) {
    return name.starts_with("DejaVuSansMono") && name.ends_with(".ttf");
}

} // namespace

KitFontFileSet findKitFontFiles(const std::string& fontRoot) {
    KitFontFileSet found;
    bool hasInterRegular = false;
    bool hasMonoRegular = false;
    std::error_code error;
    for (fs::recursive_directory_iterator it(fontRoot, fs::directory_options::skip_permission_denied, error), end;
         !error && it != end; it.increment(error)) {
        if (!it->is_regular_file(error)) continue;
        const std::string name = it->path().filename().string();
        const std::string path = it->path().string();
        if (isStaticInter(name)) {
            found.inter.push_back(path);
            hasInterRegular = hasInterRegular || name == "Inter-Regular.otf";
        } else if (isDejaVuSansMono(name)) {
            found.monospaced.push_back(path);
            hasMonoRegular = hasMonoRegular || name == "DejaVuSansMono.ttf";
        } else if (name == "materialdesignicons-webfont.ttf") {
            found.symbols = path;
        } else if (name == "NotoColorEmoji.ttf") {
            found.emoji = path;
        }
    }
    std::vector<std::string> missing;
    if (!hasInterRegular) missing.emplace_back("Inter (Inter-Regular.otf, Debian package fonts-inter)");
    if (!hasMonoRegular) missing.emplace_back("DejaVu Sans Mono (DejaVuSansMono.ttf, Debian package fonts-dejavu-core)");
    if (found.symbols.empty()) {
        missing.emplace_back(
            "Material Design Icons (materialdesignicons-webfont.ttf, Debian package fonts-materialdesignicons-webfont)");
    }
    if (found.emoji.empty()) missing.emplace_back("Noto Color Emoji (NotoColorEmoji.ttf, Debian package fonts-noto-color-emoji)");
    if (!missing.empty()) {
        std::string message = "Missing fonts under " + fontRoot + ":";
        for (const auto& m : missing) message += "\n  " + m;
        throw MissingFontError(message);
    }
    // A stable order, so the font database sees the same registration on every machine.
    std::sort(found.inter.begin(), found.inter.end());
    std::sort(found.monospaced.begin(), found.monospaced.end());
    return found;
}

void loadKitFonts(const std::string& fontRoot) {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        throw MissingFontError("Fonts can only be loaded once a QGuiApplication exists");
    }

    // What the current application has registered. Qt forgets application fonts when the application
    // object goes away, so a later application registers them again. Loading is asked for before every
    // offscreen rendering: once a folder's fonts are in, it is not searched again.
    static std::mutex mutex;
    static std::set<std::string> registered;
    static std::set<std::string> loadedRoots;
    static const QCoreApplication* registeredWith = nullptr;
    const std::lock_guard lock(mutex);
    if (registeredWith != QCoreApplication::instance()) {
        registered.clear();
        loadedRoots.clear();
        registeredWith = QCoreApplication::instance();
        QObject::connect(QCoreApplication::instance(), &QObject::destroyed, [] {
            const std::lock_guard forget(mutex);
            registered.clear();
            loadedRoots.clear();
            registeredWith = nullptr;
        });
    }
    if (loadedRoots.contains(fontRoot)) return;
    const KitFontFileSet files = findKitFontFiles(fontRoot);

    const auto add = [&](const std::string& path, const char* expectedFamily) {
        if (registered.contains(path)) return;
        const int id = QFontDatabase::addApplicationFont(QString::fromStdString(path));
        if (id < 0) throw MissingFontError("Could not load the font file " + path);
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (!families.contains(QString::fromUtf8(expectedFamily))) {
            throw MissingFontError("The font file " + path + " does not provide the family " + expectedFamily);
        }
        registered.insert(path);
    };
    for (const auto& path : files.inter) add(path, systemFontFamily);
    for (const auto& path : files.monospaced) add(path, monospacedFontFamily);
    add(files.symbols, symbolFontFamily);
    add(files.emoji, emojiFontFamily);
    loadedRoots.insert(fontRoot);
}

} // namespace glimmo

#include "desktop/system/JsonPreferencesStore.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "desktop/system/PrivateFolders.h"
#include "desktop/system/RegularFile.h"
#include "desktop/system/SaveFile.h"
#include "desktop/system/StdoutConsole.h"
#include "polling/Preferences.h"

namespace quintrel {

namespace {

// Written files are for this user only.
constexpr mode_t kFileMode = 0600;

}  // namespace

JsonPreferencesStore::JsonPreferencesStore(Console& console, QString path)
    : console_(console), path_(std::move(path)) {
    load();
}

QString JsonPreferencesStore::defaultPath() {
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the base directory rules say.
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base)) {
        base = QDir::homePath() + QStringLiteral("/.config");
    }
    return base + QStringLiteral("/quintrel/preferences.json");
}

std::optional<nlohmann::json> JsonPreferencesStore::object(const std::string& key) const {
    refresh();
    const auto found = values_.find(key);
    if (found == values_.end()) {
        return std::nullopt;
    }
    return *found;
}

void JsonPreferencesStore::setString(const std::string& key, const std::string& value) {
    set(key, value);
}

void JsonPreferencesStore::setInteger(const std::string& key, std::int64_t value) {
    set(key, value);
}

void JsonPreferencesStore::set(const std::string& key, nlohmann::json value) {
    refresh();
    values_[key] = std::move(value);
    write();
}

void JsonPreferencesStore::refresh() const {
    const QFileInfo info(path_);
    const qint64 size = info.exists() ? info.size() : -1;
    if (size != loadedSize_ || (info.exists() && info.lastModified() != loadedModified_)) {
        load();
    }
}

void JsonPreferencesStore::load() const {
    const QFileInfo info(path_);
    blocked_.reset();
    loadedSize_ = info.exists() ? info.size() : -1;
    loadedModified_ = info.exists() ? info.lastModified() : QDateTime();
    const FileContents contents = readRegularFile(QFile::encodeName(path_).toStdString());
    if (contents.kind == FileContents::Kind::missing) {
        // Values already set in this run stay; a deleted file is written anew on the next set.
        return;
    }
    if (contents.kind == FileContents::Kind::failed) {
        // What cannot be read is not replaced either: it may be the user's only copy.
        console_.printLine("The preferences file " + path_.toStdString() + " cannot be read: " +
                           contents.error + "; the defaults are used and it is left as it is");
        values_ = nlohmann::json::object();
        blocked_ = contents.error;
        announceCode();
        return;
    }
    const QByteArray bytes = QByteArray::fromStdString(contents.text);
    if (bytes.trimmed().isEmpty()) {
        values_ = nlohmann::json::object();
        announceCode();
        return;
    }
    auto parsed = nlohmann::json::parse(bytes.constBegin(), bytes.constEnd(), nullptr, false);
    if (parsed.is_discarded() || !parsed.is_object()) {
        setAside(parsed.is_discarded() ? QStringLiteral("it is not valid JSON")
                                             : QStringLiteral("it does not hold a JSON object"));
        announceCode();
        return;
    }
    values_ = std::move(parsed);
    announceCode();
}

void JsonPreferencesStore::announceCode() const {
    const auto code = values_.find(prefs::apiCode);
    StdoutConsole::maskInQtMessages(
        code != values_.end() && code->is_string() ? code->get<std::string>() : std::string());
}

void JsonPreferencesStore::setAside(const QString& reason) const {
    const QString stamp = path_ + QStringLiteral(".corrupt-") +
                          QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    // Never over an earlier copy set aside in the same second.
    QString aside = stamp;
    for (int n = 2; QFileInfo::exists(aside); ++n) {
        aside = stamp + QLatin1Char('-') + QString::number(n);
    }
    if (!QFile::rename(path_, aside)) {
        // It stays where it is, untouched: nothing is written over it until it can be moved.
        console_.printLine("The preferences file " + path_.toStdString() +
                           " cannot be read because " + reason.toStdString() +
                           ", and it could not be moved aside; preferences will not be saved");
        values_ = nlohmann::json::object();
        blocked_ = "the unreadable file there could not be moved aside";
        loadedSize_ = QFileInfo(path_).size();
        loadedModified_ = QFileInfo(path_).lastModified();
        return;
    }
    console_.printLine("The preferences file " + path_.toStdString() + " cannot be read because " +
                       reason.toStdString() + "; it was moved to " + aside.toStdString() +
                       " and the defaults are used");
    values_ = nlohmann::json::object();
    loadedSize_ = -1;
    loadedModified_ = QDateTime();
}

bool JsonPreferencesStore::write() {
    announceCode();
    const auto fail = [&](const QString& why) {
        console_.printLine("Could not save the preferences to " + path_.toStdString() + ": " +
                           why.toStdString());
        return false;
    };
    if (blocked_) {
        return fail(QString::fromStdString(*blocked_));
    }
    const QString folder = QFileInfo(path_).absolutePath();
    if (const auto why = makePrivateFolders(QFile::encodeName(folder).toStdString())) {
        return fail(QString::fromStdString(*why));
    }
    // Texts that are not valid UTF-8 are written with replacement characters, not refused.
    const std::string text =
        values_.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    if (const auto why = saveFile(path_, QByteArrayView(text.data(), text.size()), kFileMode)) {
        return fail(*why);
    }
    const QFileInfo info(path_);
    loadedSize_ = info.size();
    loadedModified_ = info.lastModified();
    return true;
}

}  // namespace quintrel

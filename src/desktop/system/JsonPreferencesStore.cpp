#include "desktop/system/JsonPreferencesStore.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace quintrel {

namespace {

// Written files are for this user only.
constexpr mode_t kFileMode = 0600;
constexpr mode_t kDirectoryMode = 0700;

bool makePrivateDirectory(const QString& directory) {
    const QFileInfo info(directory);
    if (info.isDir()) {
        return true;
    }
    if (!QDir().mkpath(info.absolutePath())) {
        return false;
    }
    return ::mkdir(QFile::encodeName(directory).constData(), kDirectoryMode) == 0 ||
           QFileInfo(directory).isDir();
}

}  // namespace

JsonPreferencesStore::JsonPreferencesStore(Console& console, QString path)
    : console_(console), path_(std::move(path)) {
    std::lock_guard lock(mutex_);
    loadLocked();
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
    std::lock_guard lock(mutex_);
    refreshLocked();
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
    std::lock_guard lock(mutex_);
    refreshLocked();
    values_[key] = std::move(value);
    writeLocked();
}

void JsonPreferencesStore::refreshLocked() const {
    const QFileInfo info(path_);
    const qint64 size = info.exists() ? info.size() : -1;
    if (size != loadedSize_ || (info.exists() && info.lastModified() != loadedModified_)) {
        loadLocked();
    }
}

void JsonPreferencesStore::loadLocked() const {
    QFile file(path_);
    const QFileInfo info(path_);
    blocked_ = false;
    loadedSize_ = info.exists() ? info.size() : -1;
    loadedModified_ = info.exists() ? info.lastModified() : QDateTime();
    if (!info.exists()) {
        // Values already set in this run stay; a deleted file is written anew on the next set.
        return;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        console_.printLine("Could not read the preferences file " + path_.toStdString() + ": " +
                           file.errorString().toStdString());
        return;
    }
    const QByteArray bytes = file.readAll();
    if (bytes.trimmed().isEmpty()) {
        values_ = nlohmann::json::object();
        return;
    }
    auto parsed = nlohmann::json::parse(bytes.constBegin(), bytes.constEnd(), nullptr, false);
    if (parsed.is_discarded() || !parsed.is_object()) {
        setAsideLocked(parsed.is_discarded() ? QStringLiteral("it is not valid JSON")
                                             : QStringLiteral("it does not hold a JSON object"));
        return;
    }
    values_ = std::move(parsed);
}

void JsonPreferencesStore::setAsideLocked(const QString& reason) const {
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
        blocked_ = true;
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

bool JsonPreferencesStore::writeLocked() {
    if (blocked_) {
        return false;
    }
    const auto fail = [&](const QString& why) {
        console_.printLine("Could not save the preferences to " + path_.toStdString() + ": " +
                           why.toStdString());
        return false;
    };
    if (!makePrivateDirectory(QFileInfo(path_).absolutePath())) {
        return fail(QStringLiteral("the folder cannot be created"));
    }
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly)) {
        return fail(file.errorString());
    }
    ::fchmod(file.handle(), kFileMode);
    // Texts that are not valid UTF-8 are written with replacement characters, not refused.
    const std::string text =
        values_.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    // QSaveFile's commit does not see a write that failed while flushing its buffer (a full
    // disk): it would put a cut-off file in place of the old one. Checked here instead.
    if (file.write(text.data(), static_cast<qint64>(text.size())) !=
            static_cast<qint64>(text.size()) ||
        !file.flush()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return fail(why);
    }
    if (!file.commit()) {
        return fail(file.errorString());
    }
    const QFileInfo info(path_);
    loadedSize_ = info.size();
    loadedModified_ = info.lastModified();
    return true;
}

}  // namespace quintrel

#pragma once
// The user's preferences as one JSON object in $XDG_CONFIG_HOME/quintrel/preferences.json.

#include <mutex>

#include <QDateTime>
#include <QString>

#include "platform/Console.h"
#include "platform/PreferencesStore.h"

namespace quintrel {

class JsonPreferencesStore final : public PreferencesStore {
public:
    // `path` defaults to the file under the user's configuration directory.
    explicit JsonPreferencesStore(Console& console, QString path = defaultPath());

    static QString defaultPath();

    std::optional<nlohmann::json> object(const std::string& key) const override;
    void setString(const std::string& key, const std::string& value) override;
    void setInteger(const std::string& key, std::int64_t value) override;

    QString path() const { return path_; }

private:
    void set(const std::string& key, nlohmann::json value);
    // Reloads the file when it changed on disk since it was last read or written.
    void refreshLocked() const;
    void loadLocked() const;
    void setAsideLocked(const QString& reason) const;
    bool writeLocked();

    Console& console_;
    const QString path_;
    mutable std::mutex mutex_;
    mutable nlohmann::json values_ = nlohmann::json::object();
    mutable QDateTime loadedModified_;
    mutable qint64 loadedSize_ = -1;
    // Set while an unreadable file could not be moved aside: it is never written over.
    mutable bool blocked_ = false;
};

}  // namespace quintrel

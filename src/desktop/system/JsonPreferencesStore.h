#pragma once
// The user's preferences as one JSON object in $XDG_CONFIG_HOME/quintrel/preferences.json.

#include <optional>
#include <string>

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
    void refresh() const;
    void load() const;
    void setAside(const QString& reason) const;
    bool write();
    // Tells Qt's message handler the stored API code, so that it never reaches the journal.
    void announceCode() const;

    Console& console_;
    const QString path_;
    mutable nlohmann::json values_ = nlohmann::json::object();
    mutable QDateTime loadedModified_;
    mutable qint64 loadedSize_ = -1;
    // Why the file at the path is never written over: it could not be read (not a
    // regular file, too large) or, unreadable, could not be moved aside.
    mutable std::optional<std::string> blocked_;
};

}  // namespace quintrel

#pragma once
// Records the PropertiesChanged signals of the app's session-bus interface.

#include <vector>

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace quintrel::e2e {

class PropertiesRecorder : public QObject {
    Q_OBJECT
public:
    std::vector<QVariantMap> changes;
public slots:
    void changed(const QString& interface, const QVariantMap& changed, const QStringList&) {
        if (interface == "com.quintrel.Companion1") {
            changes.push_back(changed);
        }
    }
};

}  // namespace quintrel::e2e

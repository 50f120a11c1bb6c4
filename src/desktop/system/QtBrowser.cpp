#include "desktop/system/QtBrowser.h"

#include <QDesktopServices>
#include <QUrl>

namespace quintrel {

void QtBrowser::openURL(const std::string& url) {
    // StrictMode: the text is already a complete, encoded URL; nothing may be re-encoded.
    const QUrl parsed(QString::fromStdString(url), QUrl::StrictMode);
    if (parsed.isValid()) {
        QDesktopServices::openUrl(parsed);
    }
}

}  // namespace quintrel

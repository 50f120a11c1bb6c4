// baseline-webview: the smallest honest Qt program that shows a web page, the yardstick for
// the dashboard helper's cold open. One QWebEngineView of the popup's size loading the URL
// given as its argument. scripts/bench starts it with the environment the helper gives
// itself (no sandbox as root, software rendering without a GPU).

#include <QApplication>
#include <QUrl>
#include <QWebEngineView>

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QWebEngineView view;
    view.resize(680, 560);
    view.load(QUrl(QApplication::arguments().value(1)));
    view.show();
    return QApplication::exec();
}

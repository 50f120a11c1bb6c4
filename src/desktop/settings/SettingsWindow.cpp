#include "desktop/settings/SettingsWindow.h"

#include <QFont>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>

#include "desktop/settings/AutostartSwitch.h"
#include "settings/SettingsControls.h"
#include "ui_Main.h"
#include "widgets/LinkButton.h"

namespace quintrel {

namespace {

constexpr int kWindowWidth = 480;

struct LinkFrame {
    int x;
    int width;
};
constexpr LinkFrame kPrivacyPolicyFrame{18, 94};
constexpr LinkFrame kTermsFrame{120, 48};

// Hints under the controls: a little smaller and quieter than the labels, in whatever
// colours the desktop theme uses.
void makeHint(QLabel* hint) {
    QFont font = hint->font();
    font.setPointSizeF(font.pointSizeF() * 0.9);
    hint->setFont(font);
    QPalette colors = hint->palette();
    colors.setColor(QPalette::WindowText, colors.color(QPalette::PlaceholderText));
    hint->setPalette(colors);
}

}  // namespace

SettingsWindow::SettingsWindow(SettingsServices services, SaveReports reports,
                               std::function<void()> playStartupSound, QWidget* parent)
    : QWidget(parent),
      ui_(std::make_unique<Ui::MainCC>()),
      services_(std::move(services)),
      reports_(std::move(reports)),
      links_(QuintrelLegalLinks::forService(services_.service.baseURL)),
      playStartupSound_(std::move(playStartupSound)) {
    ui_->setupUi(this);
    for (QLabel* hint : {ui_->qnapicodeHint, ui_->qnnotifyHint, ui_->qnplayHint,
                         ui_->qnkeepaliveHint, ui_->qnmuteHint, ui_->qnautostartHint}) {
        makeHint(hint);
    }
    connect(ui_->saveButton, &QPushButton::clicked, this, &SettingsWindow::savebutton);
    connect(ui_->helpButton, &QPushButton::clicked, this, &SettingsWindow::helpbutton);
    ui_->qnautostartMessage->hide();
    width_ = std::max(kWindowWidth, sizeHint().width());
    autostart_ = new AutostartSwitch(
        ui_->qnautostart, ui_->qnautostartMessage, [this] { fitToContents(); }, this);
    fitToContents();
    viewDidLoad();
}

SettingsWindow::~SettingsWindow() = default;

void SettingsWindow::viewDidLoad() {
    const auto states = storedControlStates(services_.preferences, ui_->qnmode->count());
    ui_->qnapicode->setText(QString::fromStdString(states.apiCode));
    ui_->qnnotify->setChecked(states.notify);
    ui_->qnmode->setCurrentIndex(static_cast<int>(states.modeIndex));
    ui_->qnplay->setChecked(states.play);
    ui_->qnkeepalive->setChecked(states.keepAlive);
    ui_->qnmute->setChecked(states.mute);

    if (playStartupSound_) {
        playStartupSound_();
    }

    privacyPolicyButton_ = new LinkButton(tr("Privacy Policy"), this);
    termsButton_ = new LinkButton(tr("Terms"), this);
    connect(privacyPolicyButton_, &QPushButton::clicked, this, &SettingsWindow::openPrivacyPolicy);
    connect(termsButton_, &QPushButton::clicked, this, &SettingsWindow::openTerms);
    privacyPolicyButton_->setObjectName("privacyPolicyButton");
    termsButton_->setObjectName("termsButton");
    setTabOrder(ui_->saveButton, privacyPolicyButton_);
    setTabOrder(privacyPolicyButton_, termsButton_);
    placeLinks();
}

void SettingsWindow::placeLinks() {
    if (!privacyPolicyButton_ || !termsButton_) {
        return;
    }
    const int top = height() - kLinkBottom - kLinkHeight;
    privacyPolicyButton_->setGeometry(kPrivacyPolicyFrame.x, top, kPrivacyPolicyFrame.width,
                                      kLinkHeight);
    termsButton_->setGeometry(kTermsFrame.x, top, kTermsFrame.width, kLinkHeight);
}

void SettingsWindow::fitToContents() {
    layout()->activate();
    const int height =
        layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(width_) : sizeHint().height();
    setFixedSize(width_, height);
}

void SettingsWindow::showEvent(QShowEvent* event) {
    // The entry is not ours alone: another tool may have changed it since the last look.
    autostart_->reload();
    QWidget::showEvent(event);
}

void SettingsWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeLinks();
}

void SettingsWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            savebutton();
            return;
        case Qt::Key_Escape:
            window()->close();
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

void SettingsWindow::helpbutton() {
    services_.browser.openURL(services_.service.baseURL + ServiceEndpoints::helpPath);
}

void SettingsWindow::openPrivacyPolicy() {
    services_.browser.openURL(links_.privacyPolicy);
}

void SettingsWindow::openTerms() {
    services_.browser.openURL(links_.terms);
}

void SettingsWindow::savebutton() {
    const auto state = [](const QAbstractButton* toggle) -> std::int64_t {
        return toggle->isChecked() ? 1 : 0;
    };
    // A check may end after this window is gone; then there is nothing to close.
    const auto close = [self = QPointer<SettingsWindow>(this)] {
        if (self) {
            self->quintrel_close();
        }
    };
    saveSettings(services_,
                 SettingsSnapshot{cleanedAPICode(ui_->qnapicode->text().toStdString()),
                                  state(ui_->qnnotify), ui_->qnmode->currentIndex(),
                                  state(ui_->qnplay), state(ui_->qnkeepalive), state(ui_->qnmute)},
                 {reports_, close});
}

void SettingsWindow::quintrel_close() {
    window()->close();
}

}  // namespace quintrel

#include "screens/intake/FormLayout.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <climits>

#include "screens/common/Twips.h"

namespace intake {

void SetUpForm(QWidget& form, const QString& objectName, const QString& title, double width,
               double height) {
    form.setObjectName(objectName);
    form.setWindowTitle(title);
    form.setFont(ui::DesignFont(12, false));
    form.setFixedSize(ui::TwipSize(width, height));
    CenterOnScreen(form);
}

void CenterOnScreen(QWidget& window) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), window.size());
        frame.moveCenter(screen->availableGeometry().center());
        window.move(frame.topLeft());
    }
}

void Place(QWidget& control, double left, double top, double width, double height) {
    control.setGeometry(ui::TwipRect(left, top, width, height));
}

void SetUpLabel(QLabel& label, const QString& caption) {
    label.setText(caption);
    label.setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label.setWordWrap(true);
}

void ScaleOptionMark(QWidget& option) {
    // The style's mark keeps its few pixels however large the caption is drawn.
    const int side = std::max(13, option.fontInfo().pixelSize() * 2 / 3);
    option.setStyleSheet(
        QStringLiteral("QRadioButton::indicator { width: %1px; height: %1px; }").arg(side));
}

int CaptionMargin() {
    constexpr double kCaptionMarginTwips = 120;
    return ui::TwipsToPixelsX(kCaptionMarginTwips);
}

void WidenLeftToCaption(QLabel& label, int leftLimit) {
    const int frame = label.width() - label.contentsRect().width();
    const int needed =
        label.fontMetrics()
            .boundingRect(QRect(0, 0, INT_MAX / 2, INT_MAX / 2), label.alignment(), label.text())
            .width() +
        frame;
    const int growth = std::clamp(needed - label.width(), 0, std::max(0, label.x() - leftLimit));
    label.setGeometry(label.x() - growth, label.y(), label.width() + growth, label.height());
}

void WidenOptionToCaption(QWidget& option, int leftLimit, int rightLimit) {
    const int wanted = std::min(option.sizeHint().width(), rightLimit - leftLimit);
    if (wanted <= option.width()) return;
    const int left = std::max(leftLimit, std::min(option.x(), rightLimit - wanted));
    option.setGeometry(left, option.y(), wanted, option.height());
}

void MakeBold(QWidget& control) {
    QFont font = control.font();
    font.setBold(true);
    control.setFont(font);
}

}  // namespace intake

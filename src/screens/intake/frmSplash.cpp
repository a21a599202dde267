#include "screens/intake/frmSplash.h"

#include <QPainter>
#include <QPainterPath>

#include "screens/common/Twips.h"
#include "screens/intake/FormLayout.h"

namespace {

// The splash's client area in twips.
constexpr double kClientWidth = 7380;
constexpr double kClientHeight = 4245;

void Place(QWidget& control, double left, double top, double width, double height) {
    control.setGeometry(ui::TwipRect(left, top, width, height));
}

void Caption(QLabel& label, const QString& text, double points, bool bold,
             Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop) {
    label.setText(text);
    label.setFont(ui::DesignFont(points, bold));
    label.setAlignment(alignment);
    label.setWordWrap(true);
}

const QColor kWater(40, 110, 200);
const QColor kWall(60, 60, 60);
const QColor kGoal(200, 30, 30);

}  // namespace

void SplashPicture::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = QRectF(rect()).adjusted(4, 4, -4, -4);
    const double w = area.width();
    const double h = area.height();
    // The tank: the lower part of the area, with two pipes entering from above and one
    // leaving on the right.
    const QRectF tank(area.left() + 0.15 * w, area.top() + 0.3 * h, 0.6 * w, 0.65 * h);
    const double level = 0.45;
    const QRectF water(tank.left(), tank.bottom() - level * tank.height(), tank.width(),
                       level * tank.height());
    QPainterPath wave;
    wave.moveTo(water.topLeft());
    wave.cubicTo(water.left() + 0.3 * water.width(), water.top() - 6,
                 water.left() + 0.6 * water.width(), water.top() + 6, water.right(), water.top());
    wave.lineTo(water.bottomRight());
    wave.lineTo(water.bottomLeft());
    wave.closeSubpath();
    painter.fillPath(wave, kWater);

    const double pipe = 0.05 * w;
    for (const double x : {tank.left() + 0.15 * tank.width(), tank.left() + 0.45 * tank.width()}) {
        const QRectF inflow(x, area.top(), pipe, tank.top() - area.top());
        painter.fillRect(inflow, kWater.lighter(130));
        painter.setPen(QPen(kWall, 2));
        painter.drawLine(inflow.topLeft(), inflow.bottomLeft());
        painter.drawLine(inflow.topRight(), inflow.bottomRight());
        painter.fillRect(QRectF(x, tank.top(), pipe, water.top() - tank.top()),
                         kWater.lighter(150));
    }
    const QRectF outflow(tank.right(), tank.bottom() - 2 * pipe, area.right() - tank.right(), pipe);
    painter.fillRect(outflow, kWater);
    painter.setPen(QPen(kWall, 2));
    painter.drawLine(outflow.topLeft(), outflow.topRight());
    painter.drawLine(outflow.bottomLeft(), outflow.bottomRight());

    painter.setPen(QPen(kWall, 3));
    painter.drawRect(tank);
    painter.setPen(QPen(kGoal, 2, Qt::DashLine));
    const double goal = tank.bottom() - 0.6 * tank.height();
    painter.drawLine(QPointF(tank.left() - 0.08 * w, goal), QPointF(tank.right() + 0.05 * w, goal));
}

frmSplash::frmSplash() {
    setObjectName(QStringLiteral("frmSplash"));
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    setFixedSize(ui::TwipSize(kClientWidth, kClientHeight));
    intake::CenterOnScreen(*this);
    Frame1.setFrameStyle(QFrame::Box | QFrame::Raised);
    Frame1.setLineWidth(2);
    Place(Frame1, 120, 60, 7140, 4125);
    Place(imgLogo, 240, 480, 2160, 2400);
    Caption(lblProductName, QStringLiteral("Fluxmere"), 32, true);
    Place(lblProductName, 2640, 480, 4335, 840);
    Caption(lblCompany, tr("Made by the Fluxmere project"), 12, false);
    Place(lblCompany, 2640, 1440, 4335, 360);
    Caption(lblCopyright, tr("Credits: the Fluxmere contributors, with Qt and SQLCipher"), 9,
            false);
    Place(lblCopyright, 2640, 1860, 4335, 480);
    Caption(lblPlatform, QStringLiteral("Linux · Qt 6"), 12, true, Qt::AlignRight | Qt::AlignTop);
    Place(lblPlatform, 2640, 2520, 4335, 360);
    Caption(lblVersion, tr("Version 11"), 12, true, Qt::AlignRight | Qt::AlignTop);
    Place(lblVersion, 2640, 2940, 4335, 360);
    Caption(lblWarning,
            tr("For permitted research use only: run this program within an approved study, "
               "with the informed consent of its participants."),
            9, false);
    Place(lblWarning, 240, 3300, 6735, 600);
}

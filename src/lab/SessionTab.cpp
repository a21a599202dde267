#include "lab/SessionTab.h"

#include <QFormLayout>
#include <QVBoxLayout>

namespace lab {

SessionTab::SessionTab(const Study& study, QWidget* parent)
    : QWidget(parent), study_(study), since_(QDate::currentDate()) {
    since_.setCalendarPopup(true);
    since_.setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->addRow(tr("Participants si&nce:"), &since_);
    layout->addLayout(form);
    connect(&since_, &QDateEdit::dateChanged, this, [this](const QDate& day) {
        if (monitor_) watchFrom(day);
    });
}

void SessionTab::showEvent(QShowEvent* event) {
    if (!monitor_) watchFrom(since_.date());
    QWidget::showEvent(event);
}

void SessionTab::watchFrom(const QDate& day) {
    auto monitor =
        std::make_unique<tool::SessionMonitor>(study_.location(), QDateTime(day, QTime(0, 0)));
    layout()->addWidget(monitor.get());
    monitor_ = std::move(monitor);
}

}  // namespace lab

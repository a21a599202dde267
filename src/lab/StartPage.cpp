#include "lab/StartPage.h"

#include <QLabel>
#include <QVBoxLayout>

namespace lab {

StartPage::StartPage(const QStringList& recentStudies, QWidget* parent)
    : QWidget(parent),
      openFile_(tr("&Open a study file...")),
      connect_(tr("&Connect to a lab server...")) {
    auto* layout = new QVBoxLayout(this);
    auto* heading =
        new QLabel(tr("Open a study: its experiment database file, or the lab "
                      "server that holds it."));
    heading->setWordWrap(true);
    layout->addWidget(heading);
    layout->addWidget(&openFile_);
    layout->addWidget(&connect_);
    auto* recentLabel = new QLabel(tr("&Recent studies:"));
    recentLabel->setBuddy(&recent_);
    layout->addWidget(recentLabel);
    recent_.addItems(recentStudies);
    if (!recentStudies.isEmpty()) recent_.setCurrentRow(0);
    layout->addWidget(&recent_, 1);

    connect(&openFile_, &QPushButton::clicked, this, &StartPage::openFileChosen);
    connect(&connect_, &QPushButton::clicked, this, &StartPage::connectChosen);
    connect(&recent_, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { emit recentChosen(item->text()); });
}

}  // namespace lab

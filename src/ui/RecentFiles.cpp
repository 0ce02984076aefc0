#include "ui/RecentFiles.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>

namespace {

const QString Key = QStringLiteral("RecentFiles");

} // namespace

TRecentFiles::TRecentFiles(QMenu& Menu, QObject* Parent) : QObject(Parent), Menu(Menu) {
    List = QSettings().value(Key).toStringList();
    if (List.size() > Kept)
        List.resize(Kept);
    Fill();
}

void TRecentFiles::Add(const QString& FileName) {
    const QString Path = QDir::toNativeSeparators(QFileInfo(FileName).absoluteFilePath());
    List.removeAll(Path);
    List.prepend(Path);
    if (List.size() > Kept)
        List.resize(Kept);
    QSettings().setValue(Key, List);
    Fill();
}

void TRecentFiles::Fill() {
    // The chosen item may be the one whose signal is being delivered now.
    for (QAction* Item : Menu.actions()) {
        Menu.removeAction(Item);
        Item->deleteLater();
    }
    Menu.setEnabled(!List.isEmpty());
    for (int i = 0; i < List.size(); ++i) {
        // "&1 plan.kcrct" with the whole path as its tip: the names are what
        // the user recognises, the folders tell two of one name apart.
        const QString Path = List[i];
        QAction* Item =
            new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(Path).fileName()), &Menu);
        Menu.addAction(Item);
        Item->setToolTip(Path);
        Item->setStatusTip(Path);
        connect(Item, &QAction::triggered, this, [this, Path] { emit Chosen(Path); });
    }
    Menu.setToolTipsVisible(true);
}

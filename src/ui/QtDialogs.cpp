#include "ui/QtDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>

namespace {

const QString SchemeFilter = QStringLiteral("Схемы KORVANT (*.kcrct);;Все файлы (*)");
const QString SchemeSuffix = QStringLiteral("kcrct");
const QString ProgramTitle = QStringLiteral("KORVANT");

} // namespace

QString ShownText(std::string_view Text) {
    QString Shown = QString::fromUtf8(Text.data(), static_cast<qsizetype>(Text.size()));
    Shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    Shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return Shown;
}

QString InitialFolder() {
    const QString Preferred = QStringLiteral("D:\\TestBak");
    // On systems without drive letters the name is not a path at all, and a
    // folder of that odd name beside the program must not be taken for it.
    if (QDir::isAbsolutePath(Preferred) && QFileInfo(Preferred).isDir())
        return Preferred;
    return QDir::homePath();
}

TQtDialogs::TQtDialogs(QWidget* Owner) : Owner(Owner) {}

TQtDialogs::~TQtDialogs() = default;

QWidget* TQtDialogs::BoxParent() const {
    if (QWidget* Active = QApplication::activeWindow())
        return Active;
    return Owner.data();
}

void TQtDialogs::Notice(std::string_view Text) {
    QMessageBox::information(BoxParent(), QStringLiteral("Информация"), ShownText(Text));
}

void TQtDialogs::FileError(std::string_view Text) {
    QMessageBox::critical(BoxParent(), QStringLiteral("Ошибка"), ShownText(Text));
}

bool TQtDialogs::Question(std::string_view Text) {
    return QMessageBox::question(BoxParent(), QStringLiteral("Подтверждение"), ShownText(Text),
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::Yes) == QMessageBox::Yes;
}

TAnswer TQtDialogs::AskToSave(std::string_view Text) {
    QMessageBox Box(QMessageBox::Question, QStringLiteral("Подтверждение"), ShownText(Text),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, BoxParent());
    Box.button(QMessageBox::Yes)->setText(QStringLiteral("Да"));
    Box.button(QMessageBox::No)->setText(QStringLiteral("Нет"));
    Box.button(QMessageBox::Cancel)->setText(QStringLiteral("Отмена"));
    Box.setDefaultButton(QMessageBox::Yes);
    Box.setEscapeButton(QMessageBox::Cancel);
    switch (Box.exec()) {
    case QMessageBox::Yes:
        return TAnswer::Yes;
    case QMessageBox::No:
        return TAnswer::No;
    default:
        return TAnswer::Cancel;
    }
}

std::optional<std::string> TQtDialogs::OpenFileName() {
    QFileDialog Dialog(BoxParent(), QStringLiteral("Загрузить схему"), InitialFolder(),
                       SchemeFilter);
    Dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // A name that does not exist is accepted; the load reports it.
    Dialog.setFileMode(QFileDialog::AnyFile);
    Dialog.setDefaultSuffix(SchemeSuffix);
    if (Dialog.exec() != QDialog::Accepted || Dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(Dialog.selectedFiles().front()).toStdString();
}

std::optional<std::string> TQtDialogs::SaveFileName(const std::string& Proposed) {
    QFileDialog Dialog(BoxParent(), QStringLiteral("Сохранить схему"), InitialFolder(),
                       SchemeFilter);
    Dialog.setAcceptMode(QFileDialog::AcceptSave);
    Dialog.setFileMode(QFileDialog::AnyFile);
    Dialog.setOption(QFileDialog::DontConfirmOverwrite);
    Dialog.setDefaultSuffix(SchemeSuffix);
    if (!Proposed.empty())
        Dialog.selectFile(QString::fromStdString(Proposed));
    if (Dialog.exec() != QDialog::Accepted || Dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(Dialog.selectedFiles().front()).toStdString();
}

std::optional<std::string> TQtDialogs::OpenOtherFileName(std::string_view Caption,
                                                          std::string_view Filters) {
    QFileDialog Dialog(BoxParent(),
                       QString::fromUtf8(Caption.data(), static_cast<qsizetype>(Caption.size())),
                       InitialFolder(),
                       QString::fromUtf8(Filters.data(), static_cast<qsizetype>(Filters.size())));
    Dialog.setAcceptMode(QFileDialog::AcceptOpen);
    Dialog.setFileMode(QFileDialog::ExistingFile);
    if (Dialog.exec() != QDialog::Accepted || Dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(Dialog.selectedFiles().front()).toStdString();
}

std::optional<std::string> TQtDialogs::SaveOtherFileName(std::string_view Caption,
                                                          std::string_view Filters,
                                                          const std::string& Proposed) {
    QFileDialog Dialog(BoxParent(), QString::fromUtf8(Caption.data(), static_cast<qsizetype>(Caption.size())),
                       InitialFolder(),
                       QString::fromUtf8(Filters.data(), static_cast<qsizetype>(Filters.size())));
    Dialog.setAcceptMode(QFileDialog::AcceptSave);
    Dialog.setFileMode(QFileDialog::AnyFile);
    if (!Proposed.empty())
        Dialog.selectFile(QString::fromStdString(Proposed));
    // The chosen filter gives a name without a suffix its first one.
    const auto Suffix = [&Dialog] {
        const QString Filter = Dialog.selectedNameFilter();
        const qsizetype Star = Filter.indexOf(QLatin1String("*."));
        if (Star < 0)
            return QString();
        qsizetype End = Star + 2;
        while (End < Filter.size() && Filter[End].isLetterOrNumber())
            ++End;
        return Filter.mid(Star + 2, End - Star - 2);
    };
    Dialog.setDefaultSuffix(Suffix());
    QObject::connect(&Dialog, &QFileDialog::filterSelected, &Dialog,
                     [&Dialog, &Suffix](const QString&) { Dialog.setDefaultSuffix(Suffix()); });
    if (Dialog.exec() != QDialog::Accepted || Dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(Dialog.selectedFiles().front()).toStdString();
}

void TQtDialogs::Error(std::string_view Text) {
    QMessageBox::critical(BoxParent(), QStringLiteral("Ошибка"), ShownText(Text));
}

void TQtDialogs::Plain(std::string_view Text) {
    QMessageBox Box(QMessageBox::NoIcon, ProgramTitle, ShownText(Text), QMessageBox::Ok,
                    BoxParent());
    Box.exec();
}

void TQtDialogs::ShowHelp(const std::string& Path) {
    const QString File = QString::fromStdString(Path);
    if (!QFileInfo(File).isFile()) {
        Error("Не найден файл справки\r" + Path);
        return;
    }
    if (!Help) {
        Help = std::make_unique<QTextBrowser>();
        Help->setWindowTitle(QStringLiteral("Справка KORVANT"));
        Help->setOpenExternalLinks(true);
        Help->resize(560, 480);
    }
    Help->setSource(QUrl::fromLocalFile(QFileInfo(File).absoluteFilePath()));
    Help->show();
    Help->raise();
    Help->activateWindow();
}

#include "ui/FindDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

bool Matches(const TNetworkView& View, const std::vector<std::string>& Names, const QString& Text,
             bool Digits, std::size_t Place) {
    if (Place < View.Events.size())
        return Digits && View.Events[Place].Number == Text.toInt();
    const TViewArc& Arc = View.Arcs[Place - View.Events.size()];
    if (Arc.Work < 0 || static_cast<std::size_t>(Arc.Work) >= Names.size())
        return false;
    return QString::fromStdString(Names[static_cast<std::size_t>(Arc.Work)])
        .contains(Text, Qt::CaseInsensitive);
}

} // namespace

std::optional<std::size_t> FindInDiagram(const TNetworkView& View,
                                         const std::vector<std::string>& Names, const QString& Text,
                                         std::optional<std::size_t> After) {
    const QString Wanted = Text.trimmed();
    const std::size_t Places = View.Events.size() + View.Arcs.size();
    if (Wanted.isEmpty() || Places == 0)
        return std::nullopt;
    bool Digits = false;
    Wanted.toInt(&Digits);
    const std::size_t First = After ? *After + 1 : 0;
    for (std::size_t Step = 0; Step < Places; ++Step) {
        const std::size_t Place = (First + Step) % Places;
        if (Matches(View, Names, Wanted, Digits, Place))
            return Place;
    }
    return std::nullopt;
}

TFindDialog::TFindDialog(QWidget* Parent) : QDialog(Parent) {
    setWindowTitle(QStringLiteral("Найти"));
    auto* Layout = new QVBoxLayout(this);
    Layout->addWidget(new QLabel(QStringLiteral("Часть названия работы или номер события:"), this));
    TextEdit = new QLineEdit(this);
    Layout->addWidget(TextEdit);
    auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    Buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Найти"));
    Buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    Layout->addWidget(Buttons);
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

std::optional<QString> TFindDialog::Ask(const QString& Last) {
    TextEdit->setText(Last);
    TextEdit->selectAll();
    TextEdit->setFocus();
    if (exec() != QDialog::Accepted || TextEdit->text().trimmed().isEmpty())
        return std::nullopt;
    return TextEdit->text();
}

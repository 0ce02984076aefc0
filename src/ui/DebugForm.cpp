#include "ui/DebugForm.h"

#include "network/CircuitEngine.h"
#include "ui/Analyser.h"
#include "ui/WindowFrame.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QStatusBar>
#include <QTableWidget>

#include <algorithm>
#include <limits>
#include <memory>

namespace {

constexpr int StatusHeight = 19;

void Clear(QTableWidget& Grid) {
    Grid.clearContents();
    Grid.setRowCount(1);
}

// One row per text; a grid keeps at least one row.
void Fill(QTableWidget& Grid, const QStringList& Texts) {
    Grid.clearContents();
    Grid.setRowCount(std::max(1, static_cast<int>(Texts.size())));
    for (int Row = 0; Row < Texts.size(); ++Row)
        Grid.setItem(Row, 0, new QTableWidgetItem(Texts[Row]));
}

QStringList SetKeys(const std::unique_ptr<TMultitude>& Set) {
    QStringList Keys;
    for (const TMultitudeElement& m : *Set)
        Keys << QString::number(m.Key);
    return Keys;
}

} // namespace

TDebugForm::TDebugForm(TAnalyser& Analyser, QWidget* Parent)
    : QWidget(Parent, Qt::Window), Analyser(Analyser) {
    setWindowTitle(QStringLiteral("Debug"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    QPalette Face = palette();
    Face.setColor(QPalette::Window, Face.color(QPalette::Button));
    setPalette(Face);
    setAutoFillBackground(true);

    Label2 = Caption(QStringLiteral("TypeID:"), 0, 0);
    TypeIDView = View(0, 16, 49, 21);
    Label1 = Caption(QStringLiteral("OutLinks:"), 0, 40);
    sgOutLinks = SetGrid(0, 56, 385);

    IndexEdit = new QSpinBox(this);
    IndexEdit->setGeometry(112, 0, 121, 22);
    IndexEdit->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    IndexEdit->setValue(1);
    MaxIndexView = View(240, 0, 121, 21, QStringLiteral("0"));
    Next = new QCheckBox(QStringLiteral("Продолжить"), this);
    Next->setGeometry(368, 0, 97, 17);
    NoDebug = new QCheckBox(QStringLiteral("Нет отладки"), this);
    NoDebug->setGeometry(480, 0, 97, 17);
    NoDebug->setChecked(true);

    Label3 = Caption(QStringLiteral("Mul1:"), 112, 24);
    Label4 = Caption(QStringLiteral("Mul2:"), 216, 24);
    Label5 = Caption(QStringLiteral("Mul3:"), 320, 24);
    Label6 = Caption(QStringLiteral("Mul4:"), 424, 24);
    sgMul1 = SetGrid(112, 40, 401);
    sgMul2 = SetGrid(216, 40, 401);
    sgMul3 = SetGrid(320, 40, 401);
    sgMul4 = SetGrid(424, 40, 401);

    Label7 = Caption(QStringLiteral("Handle:"), 536, 24);
    HandleView = View(536, 40, 49, 21);
    Label8 = Caption(QStringLiteral("TopN:"), 536, 72);
    TopNView = View(536, 88, 49, 21);
    Label9 = Caption(QStringLiteral("Y:"), 536, 112);
    YView = View(536, 128, 49, 21);
    Edit1 = View(536, 416, 41, 21, QStringLiteral("0"));

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setSizeGripEnabled(false);

    // Outer 696 x 494 at (228, 202).
    resize(ClientSizeOf(696, 494));
    move(228, 202);
    StatusBar1->setGeometry(0, height() - StatusHeight, width(), StatusHeight);

    connect(IndexEdit, &QSpinBox::valueChanged, this, [this] { IndexEditChange(); });
}

QLabel* TDebugForm::Caption(const QString& Text, int X, int Y) {
    auto* Label = new QLabel(Text, this);
    Label->move(X, Y);
    Label->adjustSize();
    return Label;
}

QLineEdit* TDebugForm::View(int X, int Y, int Width, int Height, const QString& Text) {
    auto* Edit = new QLineEdit(Text, this);
    Edit->setGeometry(X, Y, Width, Height);
    Edit->setReadOnly(true);
    return Edit;
}

QTableWidget* TDebugForm::SetGrid(int X, int Y, int Height) {
    auto* Grid = new QTableWidget(1, 1, this);
    Grid->setGeometry(X, Y, 105, Height);
    Grid->horizontalHeader()->hide();
    Grid->verticalHeader()->hide();
    Grid->verticalHeader()->setMinimumSectionSize(1);
    Grid->verticalHeader()->setDefaultSectionSize(16);
    Grid->setColumnWidth(0, 101);
    Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return Grid;
}

QStringList TDebugForm::GridTexts(const QTableWidget& Grid) {
    QStringList Texts;
    for (int Row = 0; Row < Grid.rowCount(); ++Row) {
        const QTableWidgetItem* Item = Grid.item(Row, 0);
        Texts << (Item ? Item->text() : QString());
    }
    return Texts;
}

void TDebugForm::IndexEditChange() {
    ShowLinkObject(StatusBar1->currentMessage());
}

void TDebugForm::ShowLinkObject(const QString& Status) {
    for (QTableWidget* Grid : {sgOutLinks, sgMul1, sgMul2, sgMul3, sgMul4})
        Clear(*Grid);
    const std::shared_ptr<const TAnalysis>& Made = Analyser.Current();
    if (NoDebug->isChecked() || !Made || !Made->Engine->Circuit)
        return;
    const TMemoryLinkObject& Store = *Made->Engine->Circuit;
    const std::int64_t Last = static_cast<std::int64_t>(Store.Count()) - 1;
    MaxIndexView->setText(QString::number(Last));

    // Taken as unsigned, a negative index lies beyond the last position too.
    std::int64_t i = static_cast<std::uint32_t>(IndexEdit->value());
    if (Last >= 0 && i > Last) {
        i = Last;
        const QSignalBlocker Quiet(IndexEdit);
        IndexEdit->setValue(static_cast<int>(Last));
    }
    if (Last >= 0) {
        const TLinkNode& Node = Store.Node(static_cast<std::uint32_t>(i));
        QStringList Links;
        for (const THandle h : Node.OutLinks)
            Links << QString::number(h);
        Fill(*sgOutLinks, Links);
        TypeIDView->setText(QString::number(Node.TypeID));
        HandleView->setText(QString::number(Node.Handle));
        if (Node.Data) {
            const TLinkData& Data = *Node.Data;
            TopNView->setText(QString::number(Data.TopN));
            YView->setText(QString::number(Data.Y));
            QTableWidget* const Grids[] = {sgMul1, sgMul2, sgMul3, sgMul4};
            const std::unique_ptr<TMultitude>* const Sets[] = {&Data.Mul1, &Data.Mul2, &Data.Mul3,
                                                               &Data.Mul4};
            for (int s = 0; s < 4; ++s)
                if (*Sets[s])
                    Fill(*Grids[s], SetKeys(*Sets[s]));
        } else {
            TopNView->clear();
            YView->clear();
        }
    }
    StatusBar1->showMessage(Status);
}

void TDebugForm::showEvent(QShowEvent* Event) {
    QWidget::showEvent(Event);
    Analyser.WantStore(true);
}

void TDebugForm::hideEvent(QHideEvent* Event) {
    QWidget::hideEvent(Event);
    Analyser.WantStore(false);
}

void TDebugForm::resizeEvent(QResizeEvent* Event) {
    QWidget::resizeEvent(Event);
    StatusBar1->setGeometry(0, height() - StatusHeight, width(), StatusHeight);
}

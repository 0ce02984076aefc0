#pragma once
// The debug window "Debug": one link object of the current network at a
// time, chosen by its position in the store's table: its kind, handle,
// out-links, the sets Mul1 to Mul4, level and row. It only reads the store of
// the analyser's current analysis and is not refreshed when a new one comes.

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QStatusBar;
class QTableWidget;
class TAnalyser;

class TDebugForm : public QWidget {
    Q_OBJECT

public:
    explicit TDebugForm(TAnalyser& Analyser, QWidget* Parent = nullptr);

    void IndexEditChange();
    // Shows the object IndexEdit chooses and puts Status into the status bar.
    void ShowLinkObject(const QString& Status);

    // The texts of a set grid's column, empty cells included.
    static QStringList GridTexts(const QTableWidget& Grid);

    QLabel* Label2;
    QLineEdit* TypeIDView;
    QLabel* Label1;
    QTableWidget* sgOutLinks;
    QSpinBox* IndexEdit;
    QLineEdit* MaxIndexView;
    QCheckBox* Next;
    QCheckBox* NoDebug;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QTableWidget* sgMul1;
    QTableWidget* sgMul2;
    QTableWidget* sgMul3;
    QTableWidget* sgMul4;
    QLabel* Label7;
    QLineEdit* HandleView;
    QLabel* Label8;
    QLineEdit* TopNView;
    QLabel* Label9;
    QLineEdit* YView;
    QLineEdit* Edit1;
    QStatusBar* StatusBar1;

protected:
    void resizeEvent(QResizeEvent* Event) override;
    // While it is shown, the analyses keep their stores.
    void showEvent(QShowEvent* Event) override;
    void hideEvent(QHideEvent* Event) override;

private:
    QTableWidget* SetGrid(int X, int Y, int Height);
    QLabel* Caption(const QString& Text, int X, int Y);
    QLineEdit* View(int X, int Y, int Width, int Height, const QString& Text = {});

    TAnalyser& Analyser;
};

#include "UiTestSupport.h"

#include "model/WorkList.h"
#include "ui/WorksTableDrawing.h"
#include "ui/WorksTableForm.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

const QRgb White = qRgb(255, 255, 255);
const QRgb Black = qRgb(0, 0, 0);
const QRgb Grey = qRgb(128, 128, 128);
const QRgb Green = qRgb(0, 128, 0);
const QRgb Blue = qRgb(0, 0, 255);

struct TChange {
    std::int32_t Index;
    std::int32_t Kind;
    bool operator==(const TChange&) const = default;
};

class WorksTable : public TUiTest {
protected:
    void SetUp() override {
        Form = std::make_unique<TWorksTableForm>(List, nullptr);
        List.AddListener([this](TWorkList&, std::int32_t Index, std::int32_t Kind) {
            Changes.push_back({Index, Kind});
        });
    }
    void TearDown() override {
        Form.reset();
        TUiTest::TearDown();
    }

    void Add(const char* Name) { List.AddWork(TWorkData{Name, 1, {}}, true); }
    // Work Row comes to depend on work Column.
    void Enter(int Row, int Column) {
        List.GetWork(Row).Links[static_cast<std::size_t>(Column)] = LinkDirect;
        List.Changed(Row, ckScheme);
    }
    // Works A to E: B and C follow A, C also after B, E after C; D stands
    // alone. So the matrix holds every kind of cell:
    //   C on A is entered and implied (redundant), E on A and on B implied.
    void FiveWorks() {
        for (const char* Name : {"Алгоритм", "Бетон", "Цемент", "Дерево", "Ель"})
            Add(Name);
        Enter(1, 0);
        Enter(2, 1);
        Enter(2, 0);
        Enter(4, 2);
        Changes.clear();
        if (const char* Dump = std::getenv("KORVANT_DUMP_TABLE"))
            Form->Bitmap().save(QString::fromLocal8Bit(Dump));
    }

    QRgb At(int X, int Y) const { return Form->Bitmap().pixel(X, Y) | 0xFF000000u; }
    // Text is smoothed: its pixels are dark rather than black.
    bool Dark(int X, int Y) const { return qGray(At(X, Y)) < 128; }
    int Left(int Column) const { return Form->HeaderSize + Column * Form->CellSize; }
    int Top(int Row) const { return Form->HeaderSize + Row * Form->CellSize; }
    // The colours found strictly inside the rectangle X1..X2, Y1..Y2.
    std::set<QRgb> Colours(int X1, int Y1, int X2, int Y2) const {
        std::set<QRgb> Found;
        for (int y = Y1; y <= Y2; ++y)
            for (int x = X1; x <= X2; ++x)
                Found.insert(At(x, y));
        return Found;
    }
    // Whether the pixels of Colour inside the rectangle lie on diagonal lines
    // rising (Step -1) or falling (Step +1) from left to right.
    bool OnDiagonals(QRgb Colour, int Step, int X1, int Y1, int X2, int Y2) const {
        int Seen = 0;
        for (int y = Y1; y <= Y2; ++y)
            for (int x = X1; x < X2; ++x)
                if (At(x, y) == Colour && y + Step >= Y1 && y + Step <= Y2) {
                    ++Seen;
                    if (At(x + 1, y + Step) != Colour)
                        return false;
                }
        return Seen > 0;
    }
    void Click(int X, int Y, Qt::MouseButton Button) {
        Form->TabImMouseMove(X, Y);
        Form->TabImMouseUp(Button);
    }
    std::int8_t Cell(int Row, int Column) {
        return List.GetWork(Row).Links[static_cast<std::size_t>(Column)];
    }

    TWorkList List;
    std::unique_ptr<TWorksTableForm> Form;
    std::vector<TChange> Changes;
};

TEST_F(WorksTable, DrawsItsNamesInCourierNewWhichIsLiberationMonoHere) {
    EXPECT_EQ(QFontInfo(TableFont()).family(), QStringLiteral("Liberation Mono"));
    EXPECT_EQ(TableFont().pointSize(), 10);
    EXPECT_EQ(Form->windowTitle(), QStringLiteral("Таблица связей"));
    EXPECT_FALSE(Form->isVisible());
}

TEST_F(WorksTable, MeasuresTheBandsFromTheWidestNameAndTheTextHeight) {
    Add("A");
    Add("Обратная засыпка пазух");
    const QFontMetrics Metrics(TableFont(), &Form->TabIm->Bitmap);
    EXPECT_EQ(Form->HeaderSize,
              Metrics.horizontalAdvance(QStringLiteral("Обратная засыпка пазух")) + 1);
    EXPECT_EQ(Form->CellSize, Metrics.height() + 2);
    EXPECT_EQ(Form->TableSize, Form->HeaderSize + 2 * Form->CellSize);
    EXPECT_EQ(Form->Bitmap().size(), QSize(Form->TableSize, Form->TableSize));
    EXPECT_EQ(Form->size(), QSize(Form->TableSize, Form->TableSize));
    EXPECT_EQ(Form->TabIm->geometry(), QRect(0, 0, Form->TableSize, Form->TableSize));
}

TEST_F(WorksTable, ColoursEveryKindOfCell) {
    FiveWorks();
    ASSERT_EQ(Cell(1, 0), LinkDirect);
    ASSERT_EQ(Cell(2, 0), LinkRedundant);
    ASSERT_EQ(Cell(4, 0), LinkImplied);
    ASSERT_EQ(Cell(0, 1), LinkForbidden);
    ASSERT_EQ(Cell(3, 0), LinkFree);
    const int C = Form->CellSize;
    const auto Inside = [&](int Row, int Column) {
        return Colours(Left(Column) + 1, Top(Row) + 1, Left(Column) + C - 1, Top(Row) + C - 1);
    };
    EXPECT_EQ(Inside(3, 0), std::set<QRgb>{White}) << "free";
    EXPECT_EQ(Inside(1, 0), std::set<QRgb>{Green}) << "entered";
    EXPECT_EQ(Inside(0, 1), (std::set<QRgb>{Black, White})) << "forbidden";
    EXPECT_EQ(Inside(2, 2), (std::set<QRgb>{Black, White})) << "own cell";
    EXPECT_EQ(Inside(4, 0), (std::set<QRgb>{Green, White})) << "implied";
    EXPECT_EQ(Inside(2, 0), (std::set<QRgb>{Blue, White})) << "redundant";

    // Full-size cells have their grey outline on the grid lines; implied and
    // redundant cells draw theirs one pixel inside, in their own colour.
    for (const auto& [Row, Column] : {std::pair{3, 0}, {1, 0}, {0, 1}}) {
        EXPECT_EQ(At(Left(Column), Top(Row) + C / 2), Grey);
        EXPECT_EQ(At(Left(Column) + C, Top(Row) + C / 2), Grey);
        EXPECT_EQ(At(Left(Column) + C / 2, Top(Row)), Grey);
        EXPECT_EQ(At(Left(Column) + C / 2, Top(Row) + C), Grey);
    }
    EXPECT_EQ(At(Left(0), Top(4) + C / 2), Grey);
    EXPECT_EQ(At(Left(0) + 1, Top(4) + C / 2), Green);
    EXPECT_EQ(At(Left(0) + C - 1, Top(4) + C / 2), Green);
    EXPECT_EQ(At(Left(0) + C / 2, Top(4) + 1), Green);
    EXPECT_EQ(At(Left(0) + 1, Top(2) + C / 2), Blue);
    EXPECT_EQ(At(Left(0) + C / 2, Top(2) + C - 1), Blue);
}

TEST_F(WorksTable, HatchesForbiddenCellsRisingAndImpliedCellsFallingFromLeftToRight) {
    FiveWorks();
    const int C = Form->CellSize;
    const auto Hatch = [&](QRgb Colour, int Step, int Row, int Column, int Margin) {
        return OnDiagonals(Colour, Step, Left(Column) + Margin, Top(Row) + Margin,
                           Left(Column) + C - Margin, Top(Row) + C - Margin);
    };
    EXPECT_TRUE(Hatch(Black, -1, 0, 1, 1));
    EXPECT_FALSE(Hatch(Black, +1, 0, 1, 1));
    EXPECT_TRUE(Hatch(Green, +1, 4, 0, 2));
    EXPECT_FALSE(Hatch(Green, -1, 4, 0, 2));
    // Cross-hatched: lines of both directions in the redundant cell.
    int Rising = 0, Falling = 0;
    for (int y = Top(2) + 3; y < Top(2) + C - 3; ++y)
        for (int x = Left(0) + 3; x < Left(0) + C - 3; ++x)
            if (At(x, y) == Blue) {
                Rising += At(x + 1, y - 1) == Blue;
                Falling += At(x + 1, y + 1) == Blue;
            }
    EXPECT_GT(Rising, 0);
    EXPECT_GT(Falling, 0);
}

TEST_F(WorksTable, DrawsTheGreyGridAcrossTheWholePicture) {
    FiveWorks();
    const int T = Form->TableSize;
    for (int a = 0; a < 5; ++a) {
        const int Line = Form->HeaderSize + a * Form->CellSize;
        EXPECT_EQ(At(0, Line), Grey) << a;
        EXPECT_EQ(At(Line, 0), Grey) << a;
        EXPECT_EQ(At(T - 1, Line), Grey) << a;
        EXPECT_EQ(At(Line, T - 1), Grey) << a;
    }
    // The closing lines fall just outside the picture, as do the cells'
    // right and bottom outlines.
    EXPECT_EQ(Form->HeaderSize + 5 * Form->CellSize, T);
    EXPECT_EQ(At(0, 0), White);
}

TEST_F(WorksTable, WritesRowNamesOnTheLeftAndColumnNamesTurnedUpwardAboveTheirColumns) {
    FiveWorks();
    const int H = Form->HeaderSize;
    const int C = Form->CellSize;
    const QFontMetrics Metrics(TableFont(), &Form->TabIm->Bitmap);
    for (int i = 0; i < 5; ++i) {
        // The row name starts at the left edge, inside its row.
        int MinX = 1 << 30, MaxX = -1;
        for (int y = Top(i) + 1; y < Top(i) + C; ++y)
            for (int x = 0; x < H; ++x)
                if (Dark(x, y)) {
                    MinX = std::min(MinX, x);
                    MaxX = std::max(MaxX, x);
                }
        const int Width = Metrics.horizontalAdvance(QString::fromStdString(List.GetWork(i).Name));
        EXPECT_LE(MinX, 3) << "row name " << i;
        EXPECT_NEAR(MaxX - MinX + 1, Width, 3) << "row name " << i;
    }
    for (int j = 0; j < 5; ++j) {
        // The black of the turned name lies in its column, above the cells,
        // as tall as the name is wide.
        int MinX = 1 << 30, MaxX = -1, MinY = 1 << 30, MaxY = -1;
        for (int y = 0; y < H; ++y)
            for (int x = H; x < Form->TableSize; ++x)
                if (Dark(x, y) && x > Left(j) && x < Left(j) + C) {
                    MinX = std::min(MinX, x);
                    MaxX = std::max(MaxX, x);
                    MinY = std::min(MinY, y);
                    MaxY = std::max(MaxY, y);
                }
        ASSERT_GE(MaxX, 0) << "column name " << j;
        EXPECT_GE(MinX, Left(j) + 2);
        EXPECT_LT(MaxX, Left(j) + C);
        EXPECT_LE(MaxY, H - 1);
        const int Width = Metrics.horizontalAdvance(QString::fromStdString(List.GetWork(j).Name));
        EXPECT_NEAR(MaxY - MinY + 1, Width, 3) << "column name " << j;
        EXPECT_GT(MaxY - MinY, MaxX - MinX);
    }
    // Nothing dark strays into the corner above the row names.
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < H; ++x)
            ASSERT_FALSE(Dark(x, y)) << x << "," << y;
}

TEST_F(WorksTable, OneWorkIsOneBlackHatchedCellInAWindowAsNarrowAsTheSystemAllows) {
    Add("A");
    const int H = Form->HeaderSize;
    const int C = Form->CellSize;
    ASSERT_LT(H + C, Form->minimumWidth());
    EXPECT_EQ(Form->TableSize, Form->minimumWidth());
    EXPECT_EQ(Form->Bitmap().size(), QSize(Form->TableSize, Form->TableSize));
    EXPECT_EQ(Colours(H + 1, H + 1, H + C - 1, H + C - 1), (std::set<QRgb>{Black, White}));
    // The rest of the square is white but for the grid lines running across.
    EXPECT_EQ(Colours(H + C + 1, H + C + 1, Form->TableSize - 1, Form->TableSize - 1),
              std::set<QRgb>{White});
}

TEST_F(WorksTable, FindsTheCellJustRightOfAndBelowTheHeaderLines) {
    Add("A");
    Add("B");
    Add("C");
    const TTableMetrics M = Form->Metrics();
    const int H = M.HeaderSize;
    const int C = M.CellSize;
    EXPECT_FALSE(CellAt(M, 3, H, H + 1));
    EXPECT_FALSE(CellAt(M, 3, H + 1, H));
    const auto Column = [&](int X) { return CellAt(M, 3, X, H + 1)->Column; };
    const auto Row = [&](int Y) { return CellAt(M, 3, H + 1, Y)->Row; };
    EXPECT_EQ(Column(H + 1), 0);
    EXPECT_EQ(Column(H + C), 0);
    EXPECT_EQ(Column(H + C + 1), 1);
    EXPECT_EQ(Row(H + 1), 0);
    EXPECT_EQ(Row(H + C), 0);
    EXPECT_EQ(Row(H + C + 1), 1);
    EXPECT_EQ(Column(H + 3 * C), 2);
    EXPECT_FALSE(CellAt(M, 3, H + 3 * C + 1, H + 1)) << "beyond the last column";
    EXPECT_FALSE(CellAt(M, 3, H + 1, H + 3 * C + 1)) << "beyond the last row";
}

TEST_F(WorksTable, LeftEntersAndRightRemovesWithOneNotificationForTheRow) {
    Add("A");
    Add("B");
    Changes.clear();
    const int H = Form->HeaderSize;
    const int C = Form->CellSize;
    // Row 0, column 1: A comes to depend on B.
    Click(H + C + 1, H + 1, Qt::LeftButton);
    EXPECT_EQ(Cell(0, 1), LinkDirect);
    EXPECT_EQ(Cell(1, 0), LinkForbidden);
    EXPECT_EQ(Changes, (std::vector<TChange>{{0, ckScheme}}));
    // A second left click, a right click on the forbidden cell: nothing.
    Click(H + 2 * C, H + C, Qt::LeftButton);
    Click(H + 1, H + C + 1, Qt::RightButton);
    EXPECT_EQ(Changes.size(), 1u);
    Click(H + 2 * C, H + C, Qt::RightButton);
    EXPECT_EQ(Cell(0, 1), LinkFree);
    EXPECT_EQ(Cell(1, 0), LinkFree);
    EXPECT_EQ(Changes, (std::vector<TChange>{{0, ckScheme}, {0, ckScheme}}));
}

TEST_F(WorksTable, LeftOnAnImpliedCellMakesItRedundantAndRightTurnsItBack) {
    FiveWorks();
    const int C = Form->CellSize;
    Click(Left(0) + C / 2, Top(4) + C / 2, Qt::LeftButton);
    EXPECT_EQ(Cell(4, 0), LinkRedundant);
    Click(Left(0) + C / 2, Top(4) + C / 2, Qt::RightButton);
    EXPECT_EQ(Cell(4, 0), LinkImplied);
    // Removing an entered cell that is also implied leaves it implied.
    Click(Left(0) + C / 2, Top(2) + C / 2, Qt::RightButton);
    EXPECT_EQ(Cell(2, 0), LinkImplied);
    EXPECT_EQ(Changes, (std::vector<TChange>{{4, ckScheme}, {4, ckScheme}, {2, ckScheme}}));
}

TEST_F(WorksTable, ForbiddenCellsOtherButtonsAndTheHeaderChangeNothing) {
    FiveWorks();
    const int C = Form->CellSize;
    const auto Before = [&] {
        std::vector<TABs> Rows;
        for (int i = 0; i < List.Count(); ++i)
            Rows.push_back(List.GetWork(i).Links);
        return Rows;
    }();
    for (int Diagonal = 0; Diagonal < 5; ++Diagonal)
        for (Qt::MouseButton Button : {Qt::LeftButton, Qt::RightButton})
            Click(Left(Diagonal) + C / 2, Top(Diagonal) + C / 2, Button);
    Click(Left(1) + C / 2, Top(0) + C / 2, Qt::LeftButton);
    Click(Left(1) + C / 2, Top(0) + C / 2, Qt::RightButton);
    Click(Left(0) + C / 2, Top(3) + C / 2, Qt::MiddleButton);
    Click(Left(0) + C / 2, Top(1) + C / 2, Qt::MiddleButton);
    Click(Form->HeaderSize, Top(3) + C / 2, Qt::LeftButton);
    Click(Left(0) + C / 2, 2, Qt::LeftButton);
    for (int i = 0; i < List.Count(); ++i)
        EXPECT_EQ(List.GetWork(i).Links, Before[static_cast<std::size_t>(i)]) << i;
    EXPECT_TRUE(Changes.empty());
}

TEST_F(WorksTable, RecoloursTheMatrixAfterAClickWithTheMouse) {
    Add("A");
    Add("B");
    Form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
    const int C = Form->CellSize;
    const QPoint Target(Left(0) + C / 2, Top(1) + C / 2);
    QTest::mouseMove(Form->TabIm, Target);
    QTest::mouseClick(Form->TabIm, Qt::LeftButton, {}, Target);
    EXPECT_EQ(Cell(1, 0), LinkDirect);
    EXPECT_EQ(At(Target.x(), Target.y()), Green);
    EXPECT_EQ(Colours(Left(1) + 1, Top(0) + 1, Left(1) + C - 1, Top(0) + C - 1),
              (std::set<QRgb>{Black, White}));
    QTest::mouseClick(Form->TabIm, Qt::RightButton, {}, Target);
    EXPECT_EQ(At(Target.x(), Target.y()), White);
}

TEST_F(WorksTable, RedrawsWhileHiddenAndHidesItselfWhenTheListEmpties) {
    Add("A");
    Form->show();
    Add("Вторая работа с длинным именем");
    EXPECT_TRUE(Form->isVisible());
    const int Wide = Form->TableSize;
    Form->hide();
    Add("C");
    EXPECT_EQ(Form->TableSize, Wide + Form->CellSize);
    Form->show();
    List.Clear();
    EXPECT_FALSE(Form->isVisible());
    EXPECT_EQ(Colours(0, 0, Form->Bitmap().width() - 1, Form->Bitmap().height() - 1),
              std::set<QRgb>{White});
}

TEST_F(WorksTable, IgnoresQuietAdditions) {
    const int Before = Form->TableSize;
    List.AddWork(TWorkData{"A", 1, {}}, false);
    EXPECT_EQ(Form->TableSize, Before);
    EXPECT_EQ(Form->HeaderSize, 0);
}

TEST_F(WorksTable, DrawingAnImageNeedsNoWindow) {
    Add("A");
    Add("B");
    QImage Image(200, 200, QImage::Format_RGB32);
    Image.fill(Qt::red);
    const QFont Font = TableFont();
    TTableMetrics M = MeasureWorksTable(List, Font, &Image);
    M.TableSize = 200;
    QPainter Painter(&Image);
    ClearWorksTable(Painter, 200);
    DrawWorksTable(Painter, List, M, Font);
    Painter.end();
    EXPECT_EQ(Image.pixel(199, 199) | 0xFF000000u, White);
    EXPECT_EQ(Image.pixel(M.HeaderSize, 0) | 0xFF000000u, Grey);
    const int H = M.HeaderSize;
    const int C = M.CellSize;
    EXPECT_EQ(Image.pixel(H + C + C / 2, H + C / 2) | 0xFF000000u, White) << "free cell";
    EXPECT_EQ(Image.pixel(H + C / 2, H + C + C / 2) | 0xFF000000u, White) << "free cell";
}

// ------------------------------------------------ a matrix beyond the screen

// Enough works that the matrix outgrows the screen both ways; a few
// dependencies give it every kind of cell.
class LargeWorksTable : public WorksTable {
protected:
    void Fill(int n) {
        List.Updating = true;
        for (int i = 0; i < n; ++i)
            List.AddWork(TWorkData{"Работа " + std::to_string(i), 1, {}}, true);
        for (int i = 3; i < n; i += 2)
            List.GetWork(i).Links[static_cast<std::size_t>(i - 1)] = LinkDirect;
        for (int i = 5; i < n; i += 4)
            List.GetWork(i).Links[static_cast<std::size_t>(i - 2)] = LinkDirect;
        List.Updating = false;
        List.Changed(0, ckScheme);
        Changes.clear();
    }
    QScrollBar& Across() { return *Form->Scroller->horizontalScrollBar(); }
    QScrollBar& Down() { return *Form->Scroller->verticalScrollBar(); }
};

TEST_F(LargeWorksTable, ScrollsInAWindowNoLargerThanTheScreenAndKeepsNoBitmap) {
    Fill(90);
    const QSize Largest = Form->LargestClient();
    ASSERT_GT(Form->TableSize, Largest.height());
    EXPECT_TRUE(Form->Scrolled());
    EXPECT_TRUE(Form->Bitmap().isNull());
    EXPECT_EQ(Form->TableSize, Form->HeaderSize + 90 * Form->CellSize);
    EXPECT_EQ(Form->TabIm->size(), QSize(Form->TableSize, Form->TableSize));
    EXPECT_LE(Form->width(), Largest.width());
    EXPECT_LE(Form->height(), Largest.height());

    // Back to a matrix that fits: the window is the picture's size again.
    List.Clear();
    Add("A");
    Add("B");
    EXPECT_FALSE(Form->Scrolled());
    EXPECT_EQ(Form->size(), QSize(Form->TableSize, Form->TableSize));
    EXPECT_EQ(Form->TabIm->geometry(), QRect(0, 0, Form->TableSize, Form->TableSize));
    EXPECT_EQ(Form->Bitmap().size(), QSize(Form->TableSize, Form->TableSize));
}

TEST_F(LargeWorksTable, PaintingAPartGivesThePixelsOfTheWholePicture) {
    Fill(90);
    // A value from a damaged file at the left edge of a part: it is drawn
    // with what the cell before it, outside the part, left.
    const int H = Form->HeaderSize;
    const int C = Form->CellSize;
    List.GetWork(40).Links[30] = 5;
    List.GetWork(41).Links[0] = 7;
    QImage Whole(Form->TableSize, Form->TableSize, QImage::Format_RGB32);
    Whole.fill(Qt::white);
    {
        QPainter Painter(&Whole);
        DrawWorksTable(Painter, List, Form->Metrics(), TableFont());
    }
    const std::vector<QRect> Parts = {
        QRect(0, 0, 300, 200),                            // both name bands
        QRect(H + 30 * C, H + 38 * C + 5, 250, 90),       // the odd cells
        QRect(H + 7 * C + 3, 0, 131, H + 2 * C),          // column names
        QRect(0, H + 60 * C - 1, H + 3, 3 * C),           // row names
        QRect(Form->TableSize - 77, Form->TableSize - 50, 77, 50), // the corner
        QRect(H + 11 * C, H + 11 * C, 1, 1),              // one grid crossing
    };
    for (const QRect& Part : Parts) {
        QImage Painted(Part.size(), QImage::Format_RGB32);
        Painted.fill(Qt::red);
        Form->TabIm->render(&Painted, QPoint(), QRegion(Part));
        const QImage Expected = Whole.copy(Part);
        int Differ = 0;
        for (int y = 0; y < Part.height(); ++y)
            for (int x = 0; x < Part.width(); ++x)
                Differ += (Painted.pixel(x, y) | 0xFF000000u) != (Expected.pixel(x, y) | 0xFF000000u);
        EXPECT_EQ(Differ, 0) << "part at " << Part.x() << "," << Part.y() << " size "
                             << Part.width() << "x" << Part.height();
    }
}

TEST_F(LargeWorksTable, AClickAfterScrollingHitsTheCellUnderThePointer) {
    Fill(90);
    Form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
    ASSERT_GT(Across().maximum(), 0);
    ASSERT_GT(Down().maximum(), 0);
    Across().setValue(Across().maximum() * 2 / 3);
    Down().setValue(Down().maximum() / 2);
    // A point in view and the cell of the picture under it.
    const QPoint InView(150, 120);
    const QPoint Target = Form->TabIm->mapFrom(Form->Scroller->viewport(), InView);
    ASSERT_EQ(Target, InView + QPoint(Across().value(), Down().value()));
    const std::optional<TTableCell> Under = CellAt(Form->Metrics(), 90, Target.x(), Target.y());
    ASSERT_TRUE(Under);
    ASSERT_EQ(Cell(Under->Row, Under->Column), LinkFree);
    QTest::mouseMove(Form->TabIm, Target);
    QTest::mouseClick(Form->TabIm, Qt::LeftButton, {}, Target);
    EXPECT_EQ(Cell(Under->Row, Under->Column), LinkDirect);
    EXPECT_EQ(Changes, (std::vector<TChange>{{Under->Row, ckScheme}}));
    // What is in view now shows the entered cell.
    const QImage Shown = Form->Scroller->viewport()->grab().toImage();
    EXPECT_EQ(Shown.pixel(InView) | 0xFF000000u, Green);
}

} // namespace

namespace {

// The matrix as a picture file: whole, its names as text in SVG, and the
// picture of the window itself in PNG.
TEST_F(WorksTable, TheMatrixIsSavedWholeAsAPicture) {
    FiveWorks();
    QTemporaryDir Dir;
    const std::string Svg = Dir.filePath(QStringLiteral("m.svg")).toStdString();
    const std::string Png = Dir.filePath(QStringLiteral("m.png")).toStdString();
    ASSERT_TRUE(Form->SavePictureTo(Svg));
    ASSERT_TRUE(Form->SavePictureTo(Png));
    QFile File(QString::fromStdString(Svg));
    ASSERT_TRUE(File.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(File.readAll()).contains(QStringLiteral("Цемент")));
    const QImage Image(QString::fromStdString(Png));
    EXPECT_EQ(Image.size(), QSize(Form->TableSize, Form->TableSize));
    EXPECT_EQ(Image.convertToFormat(QImage::Format_RGB32), Form->TabIm->Bitmap.copy(Image.rect()));
    EXPECT_FALSE(Form->SavePictureTo(Dir.filePath(QStringLiteral("none/m.png")).toStdString()));
}

} // namespace

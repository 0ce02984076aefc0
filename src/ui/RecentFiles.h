#pragma once
// The schemes opened last, newest first, kept in the user's settings between
// runs (the first thing the program remembers), and the menu that lists them.
// A file that no longer opens stays listed until it is opened again or
// pushed out by newer ones: a disk that is not mounted now may be tomorrow.

#include <QObject>
#include <QStringList>

class QMenu;

class TRecentFiles : public QObject {
    Q_OBJECT

public:
    static constexpr int Kept = 6;

    // Fills Menu (which stays the caller's) from the settings.
    TRecentFiles(QMenu& Menu, QObject* Parent = nullptr);

    // Puts the file first, as an absolute path, and stores the list.
    void Add(const QString& FileName);
    const QStringList& Files() const { return List; }

signals:
    // A file was chosen in the menu.
    void Chosen(const QString& FileName);

private:
    void Fill();

    QMenu& Menu;
    QStringList List;
};

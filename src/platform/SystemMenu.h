// SystemMenu: the window menu with the usual window commands, shown as a
// pop-up. Choosing an entry reports its command identifier; the window
// passes the identifiers it does not handle itself to DefaultSysCommand,
// which gives the usual effect of the window commands.
#pragma once

#include <QObject>
#include <QPoint>
#include <QString>

class QAction;
class QMenu;
class QWidget;

namespace hyt {

// Identifiers of the usual window commands. Their low four bits are zero.
enum SysCommand : unsigned {
    SC_SIZE = 0xF000,
    SC_MOVE = 0xF010,
    SC_MINIMIZE = 0xF020,
    SC_MAXIMIZE = 0xF030,
    SC_CLOSE = 0xF060,
    SC_RESTORE = 0xF120,
};

class SystemMenu : public QObject {
    Q_OBJECT

  public:
    // Builds the usual entries for window: Restaurar, Mover, Tamaño,
    // Minimizar, Maximizar, a separator and Cerrar.
    explicit SystemMenu(QWidget* window);
    ~SystemMenu() override;

    QAction* AppendSeparator();
    QAction* AppendMenu(unsigned id, const QString& text);
    QAction* InsertSeparator(QAction* before);
    QAction* InsertMenu(QAction* before, unsigned id, const QString& text);

    // The entry with this command identifier, or null.
    QAction* Action(unsigned id) const;
    QMenu* Menu() const { return menu; }

    // Shows the menu at a point of the screen, entries enabled to suit the
    // window's state.
    void Popup(const QPoint& globalPos);

  signals:
    void Command(unsigned id);

  private:
    void UpdateStandardEntries();

    QWidget* window;
    QMenu* menu;
};

// The usual effect of a window command on window; other identifiers do nothing.
void DefaultSysCommand(QWidget* window, unsigned command);

} // namespace hyt

#include "platform/SystemMenu.h"

#include <QAction>
#include <QMenu>
#include <QWidget>
#include <QWindow>

#include "platform/UiText.h"
#include "texts/Texts.h"

namespace hyt {

namespace {
const char* const kCommandProperty = "sysCommand";

bool IsResizable(const QWidget* window)
{
    return window->minimumSize() != window->maximumSize();
}
} // namespace

SystemMenu::SystemMenu(QWidget* owner) : QObject(owner), window(owner), menu(new QMenu(owner))
{
    AppendMenu(SC_RESTORE, UiText(RestoreMenuText()));
    AppendMenu(SC_MOVE, UiText(MoveMenuText()));
    AppendMenu(SC_SIZE, UiText(SizeMenuText()));
    AppendMenu(SC_MINIMIZE, UiText(MinimizeMenuText()));
    AppendMenu(SC_MAXIMIZE, UiText(MaximizeMenuText()));
    AppendSeparator();
    AppendMenu(SC_CLOSE, UiText(CloseMenuText()));
    connect(menu, &QMenu::aboutToShow, this, &SystemMenu::UpdateStandardEntries);
}

SystemMenu::~SystemMenu() = default;

QAction* SystemMenu::AppendSeparator()
{
    return menu->addSeparator();
}

QAction* SystemMenu::AppendMenu(unsigned id, const QString& text)
{
    return InsertMenu(nullptr, id, text);
}

QAction* SystemMenu::InsertSeparator(QAction* before)
{
    return menu->insertSeparator(before);
}

QAction* SystemMenu::InsertMenu(QAction* before, unsigned id, const QString& text)
{
    auto* action = new QAction(text, menu);
    action->setProperty(kCommandProperty, id);
    connect(action, &QAction::triggered, this, [this, id] { emit Command(id); });
    menu->insertAction(before, action);
    return action;
}

QAction* SystemMenu::Action(unsigned id) const
{
    for (QAction* action : menu->actions()) {
        const QVariant command = action->property(kCommandProperty);
        if (command.isValid() && command.toUInt() == id)
            return action;
    }
    return nullptr;
}

void SystemMenu::UpdateStandardEntries()
{
    const bool maximized = window->isMaximized();
    const bool minimized = window->isMinimized();
    Action(SC_RESTORE)->setEnabled(maximized || minimized);
    Action(SC_MOVE)->setEnabled(!maximized);
    Action(SC_SIZE)->setEnabled(!maximized && IsResizable(window));
    Action(SC_MINIMIZE)->setEnabled(!minimized);
    Action(SC_MAXIMIZE)->setEnabled(!maximized);
}

void SystemMenu::Popup(const QPoint& globalPos)
{
    menu->popup(globalPos);
}

void DefaultSysCommand(QWidget* window, unsigned command)
{
    // The platform's window commands keep their low four bits for itself.
    switch (command & 0xFFF0u) {
    case SC_RESTORE:
        window->showNormal();
        break;
    case SC_MOVE:
        if (QWindow* handle = window->windowHandle())
            handle->startSystemMove();
        break;
    case SC_SIZE:
        if (QWindow* handle = window->windowHandle(); handle && IsResizable(window))
            handle->startSystemResize(Qt::BottomEdge | Qt::RightEdge);
        break;
    case SC_MINIMIZE:
        window->showMinimized();
        break;
    case SC_MAXIMIZE:
        window->showMaximized();
        break;
    case SC_CLOSE:
        window->close();
        break;
    default:
        break;
    }
}

} // namespace hyt

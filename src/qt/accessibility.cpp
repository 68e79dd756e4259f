// The roles screen readers hear for the program's own kinds of widget,
// through Qt's accessibility factory.
#include "accessibility.h"

#include "help_window.h"
#include "main_window.h"
#include "plane_widget.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>

namespace lumivar {

namespace {

// A static text read as text, not only by its name: a screen reader's user
// goes through the help window's text line by line and word by word.
class ReadableText final : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit ReadableText(QLabel* label) : QAccessibleWidget(label, QAccessible::StaticText) {}
    using QAccessibleWidget::text; // the name and the description, beside the text's parts

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::TextInterface ? static_cast<QAccessibleTextInterface*>(this)
                                                  : QAccessibleWidget::interface_cast(type);
    }
    [[nodiscard]] QString text(int startOffset, int endOffset) const override
    {
        return whole().mid(startOffset, endOffset - startOffset);
    }
    [[nodiscard]] int characterCount() const override { return static_cast<int>(whole().size()); }
    [[nodiscard]] QString attributes(int /*offset*/, int* startOffset, int* endOffset) const override
    {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }
    // Nothing selected, no caret, no place per character: a label has none.
    void selection(int /*selectionIndex*/, int* startOffset, int* endOffset) const override
    {
        *startOffset = 0;
        *endOffset = 0;
    }
    [[nodiscard]] int selectionCount() const override { return 0; }
    void addSelection(int /*startOffset*/, int /*endOffset*/) override {}
    void removeSelection(int /*selectionIndex*/) override {}
    void setSelection(int /*selectionIndex*/, int /*startOffset*/, int /*endOffset*/) override {}
    [[nodiscard]] int cursorPosition() const override { return 0; }
    void setCursorPosition(int /*position*/) override {}
    [[nodiscard]] QRect characterRect(int /*offset*/) const override { return {}; }
    [[nodiscard]] int offsetAtPoint(const QPoint& /*point*/) const override { return -1; }
    void scrollToSubstring(int /*startIndex*/, int /*endIndex*/) override {}

private:
    [[nodiscard]] QString whole() const { return static_cast<const QLabel*>(widget())->text(); }
};

QAccessibleInterface* accessibleFor(const QString& /*className*/, QObject* object)
{
    if (auto* label = qobject_cast<QLabel*>(object);
        label != nullptr && qobject_cast<Dialog*>(label->parent()) != nullptr) {
        return new ReadableText(label);
    }
    if (auto* plane = qobject_cast<PlaneWidget*>(object)) {
        return new QAccessibleWidget(plane, QAccessible::Graphic);
    }
    if (qobject_cast<Form1*>(object) != nullptr || qobject_cast<Dialog*>(object) != nullptr) {
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    }
    return nullptr;
}

} // namespace

void installAccessibleRoles()
{
    QAccessible::installFactory(accessibleFor);
}

} // namespace lumivar

// The least a Qt program with Lumivar's kinds of controls and captions does
// to show its window: the yardstick of the start-up benchmark.
#include "qt/pixels.h"
#include "shared/form_layout.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Lumivar 1.0"));
    for (const lumivar::ControlEntry& entry : lumivar::kForm1Controls) {
        const QString caption = QString::fromUtf8(entry.caption.data(), qsizetype(entry.caption.size()));
        QWidget* control = nullptr;
        switch (entry.kind) {
        case lumivar::ControlKind::DrawingBox:
            control = new QFrame(&window);
            break;
        case lumivar::ControlKind::CheckBox:
            control = new QCheckBox(caption, &window);
            break;
        case lumivar::ControlKind::PushButton:
            control = new QPushButton(caption, &window);
            break;
        case lumivar::ControlKind::TextBox:
            control = new QLineEdit(&window);
            break;
        case lumivar::ControlKind::Label:
            control = new QLabel(caption, &window);
            break;
        }
        control->setGeometry(lumivar::toPixels(entry.geometry));
    }
    window.resize(lumivar::toPixels(lumivar::kForm1ClientTwips).size());
    window.show();
    return QApplication::exec();
}

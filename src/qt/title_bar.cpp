// The title bar that help windows and messages draw themselves on Wayland.
#include "title_bar.h"

#include "shared/texts.h"
#include "utf8.h"

#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QStyle>
#include <QToolButton>
#include <QWindow>

namespace lumivar {

namespace {

constexpr int kTitleBarPx = 30;
constexpr int kIconPx = 16;

class TitleBar final : public QWidget {
public:
    explicit TitleBar(QWidget& window) : QWidget(&window)
    {
        setAutoFillBackground(true);
        QPalette colours = palette();
        colours.setColor(QPalette::Window, colours.color(QPalette::Window).darker(115));
        setPalette(colours);
        auto* layout = new QHBoxLayout(this);
        layout->setContentsMargins(6, 0, 2, 0);
        auto* icon = new QLabel(this);
        icon->setPixmap(window.windowIcon().pixmap(kIconPx, kIconPx));
        auto* caption = new QLabel(window.windowTitle(), this);
        caption->setAlignment(Qt::AlignCenter);
        auto* close = new QToolButton(this);
        close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
        close->setAutoRaise(true);
        close->setFocusPolicy(Qt::NoFocus);
        close->setAccessibleName(fromUtf8(kCloseBoxName));
        connect(close, &QToolButton::clicked, &window, &QWidget::close);
        layout->addWidget(icon);
        layout->addWidget(caption, 1);
        layout->addWidget(close);
        window.installEventFilter(this);
        setGeometry(0, 0, window.width(), kTitleBarPx);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && window()->windowHandle() != nullptr) {
            window()->windowHandle()->startSystemMove();
        }
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == window() && event->type() == QEvent::Resize) {
            setGeometry(0, 0, window()->width(), kTitleBarPx);
        }
        return QWidget::eventFilter(watched, event);
    }
};

} // namespace

bool drawsOwnTitleBar()
{
    return QGuiApplication::platformName() == QLatin1String("wayland");
}

int addTitleBar(QWidget& window)
{
    // Any button hint would bring the frame back.
    window.setWindowFlags(window.windowType() | Qt::FramelessWindowHint);
    const QMargins margins = window.contentsMargins();
    window.setContentsMargins(margins.left(), margins.top() + kTitleBarPx, margins.right(), margins.bottom());
    new TitleBar(window);
    return kTitleBarPx;
}

} // namespace lumivar

#pragma once

#include "twips.h"

#include <QString>
#include <QWidget>

namespace lumivar {

// Client area on the screen: the window opens here every time, never centred.
inline constexpr TwipsRect kDialogClientTwips{2760, 3750, 12000, 4650};
inline constexpr TwipsRect kDialogLabelTwips{120, 120, 11535, 4095};

// The help text: what the program simulates and what each box does.
[[nodiscard]] QString helpText();

// A help window. Any number can be open, each on its own, owned by nobody.
class Dialog final : public QWidget {
    Q_OBJECT

public:
    explicit Dialog(QWidget* parent = nullptr);

protected:
    void changeEvent(QEvent* event) override;
};

} // namespace lumivar

#pragma once

#include <QPushButton>

namespace verselet {

// A push button whose caption wraps onto as many lines as its width needs,
// centred: a narrow button with a long caption shows all of it.
class WrapButton final : public QPushButton
{
    Q_OBJECT

public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace verselet

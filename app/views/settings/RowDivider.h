#pragma once

#include <QWidget>

class Appearance;

// A hairline one point high across its width, from `leadingIndent` on: between two settings
// rows, and (not indented) above the settings footer.
class RowDivider : public QWidget
{
    Q_OBJECT

public:
    static constexpr int rowIndent = 11;

    explicit RowDivider(const Appearance& appearance, int leadingIndent = rowIndent,
                        QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const Appearance& m_appearance;
    int m_leadingIndent;
};

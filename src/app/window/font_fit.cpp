// Fitting the desktop's font to the fixed layout, and checking that every caption fits.
#include "font_fit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include <algorithm>
#include <cmath>
#include <vector>

#include "widgets/controls.h"

namespace {

// How a control's caption is measured, as the control measures it for its size hint.
enum class Measure { Advance, ItemText, Label, ComboItems };

// One caption's demand at a font size: its text measured at that size, plus what the control
// adds around it (the indicator of an option button, a list's arrow), which does not grow
// with the size and so is measured once at the font the control has.
struct CaptionRoom {
    const QWidget* control;
    Measure measure;
    QString text;
    int around = 0;
    int room = 0;
    int lineRoom = -1;  // the control's height where the caption's line must fit, else -1
};

int measured(const CaptionRoom& c, const QFontMetrics& fm)
{
    switch (c.measure) {
    case Measure::Advance: return fm.horizontalAdvance(c.text);
    case Measure::ItemText:
        return c.control->style()->itemTextRect(fm, QRect(), Qt::TextShowMnemonic, false, c.text).width();
    case Measure::Label: {
        const auto* label = static_cast<const QLabel*>(c.control);
        const int flags = (label->alignment() & ~(Qt::AlignVCenter | Qt::AlignHCenter)).toInt();
        return fm.boundingRect(0, 0, 2000, 2000, flags, c.text).width();
    }
    case Measure::ComboItems: {
        const auto* combo = static_cast<const QComboBox*>(c.control);
        int widest = 0;
        for (int i = 0; i < combo->count(); ++i)
            widest = std::max(widest, fm.boundingRect(combo->itemText(i)).width());
        return widest;
    }
    }
    return 0;
}

// Every caption of the window's controls, measured at the fonts the controls have now.
std::vector<CaptionRoom> captionRooms(const QWidget& central)
{
    std::vector<CaptionRoom> captions;
    for (const QAbstractButton* b : central.findChildren<QAbstractButton*>()) {
        // Push buttons report a style minimum width; what matters is their caption.
        if (qobject_cast<const QPushButton*>(b)) {
            captions.push_back({b, Measure::Advance, b->text().remove(QLatin1Char('&')), 10, b->width(), b->height()});
        } else {
            CaptionRoom c{b, Measure::ItemText, b->text(), 0, b->width(), b->height()};
            c.around = b->sizeHint().width() - measured(c, b->fontMetrics());
            captions.push_back(c);
        }
    }
    for (const QLabel* l : central.findChildren<QLabel*>()) {
        if (l->wordWrap())
            continue;
        CaptionRoom c{l, Measure::Label, l->text(), 0, l->width()};
        c.around = l->sizeHint().width() - measured(c, l->fontMetrics());
        captions.push_back(c);
    }
    for (const QComboBox* combo : central.findChildren<QComboBox*>()) {
        CaptionRoom c{combo, Measure::ComboItems, QString(), 0, combo->width() + 2};
        c.around = combo->sizeHint().width() - measured(c, combo->fontMetrics());
        captions.push_back(c);
    }
    for (const QGroupBox* g : central.findChildren<QGroupBox*>())
        captions.push_back({g, Measure::Advance, g->title(), 14, g->width()});
    return captions;
}

bool fits(const CaptionRoom& c, const QFontMetrics& fm)
{
    return c.around + measured(c, fm) <= c.room && (c.lineRoom < 0 || fm.height() + 4 <= c.lineRoom);
}

}  // namespace

bool captionsFit(const QWidget& central, const EvenTabBar& strip)
{
    if (!strip.captionsFit())
        return false;
    const std::vector<CaptionRoom> captions = captionRooms(central);
    return std::all_of(captions.begin(), captions.end(),
                       [](const CaptionRoom& c) { return fits(c, c.control->fontMetrics()); });
}

void fitFont(QWidget& central, EvenTabBar& strip)
{
    // The layout is fixed; the desktop's font is taken at the largest size that fits it.
    // Sizes go in quarter points from 6 up to the desktop's size (at most 9); captions grow
    // with the size, so the largest that fits is found by halving. Setting a font on the
    // whole window costs far more than measuring text, so each size is judged from the
    // captions' widths at that size, with the same measure that checks them afterwards, and
    // only the chosen size is set.
    QFont f = QApplication::font();
    const qreal desktopSize = f.pointSizeF() > 0 ? f.pointSizeF() : 9.0;
    const int top = static_cast<int>(std::floor((std::min<qreal>(desktopSize, 9.0) - 6.0) / 0.25));
    if (top < 0)
        return;  // a desktop font below 6 pt is kept as it is

    const std::vector<CaptionRoom> captions = captionRooms(central);

    // A control's font once the window's font is set: the set size and family over whatever
    // else the control's own font says (a link's underline).
    const auto fontFor = [&f](const QWidget* control, qreal size) {
        QFont at = f;
        at.setPointSizeF(size);
        return at.resolve(control->font());
    };
    const auto fitsAt = [&](int step) {
        const qreal size = 6.0 + 0.25 * step;
        if (!strip.captionsFit(QFontMetrics(fontFor(&strip, size))))
            return false;
        return std::all_of(captions.begin(), captions.end(), [&](const CaptionRoom& c) {
            return fits(c, QFontMetrics(fontFor(c.control, size)));
        });
    };
    int chosen = top;
    if (!fitsAt(top)) {
        chosen = 0;  // 6 pt is taken even if it does not fit: there is nothing smaller
        int fails = top;
        while (fails - chosen > 1) {
            const int mid = (chosen + fails) / 2;
            if (fitsAt(mid))
                chosen = mid;
            else
                fails = mid;
        }
    }
    const auto setStep = [&](int step) {
        f.setPointSizeF(6.0 + 0.25 * step);
        central.setFont(f);
        strip.setFont(f);
    };
    setStep(chosen);
    // A style whose controls grow with the font by more than their captions would not fit
    // what the measurement chose; the window then steps down on the controls themselves.
    while (chosen > 0 && !captionsFit(central, strip))
        setStep(--chosen);
}

#include "app/about.h"

#include "app/hllabel.h"
#include "core/Strings.h"
#include "ui/FormFont.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

namespace orvexa {
namespace {

// The About picture, 140 × 119, drawn rather than stored, so that no binary
// asset has to be kept in step with the program. The box's Ok button sits on
// its lower part, so the picture is composed around it: the emblem and the
// name above, a plain shelf below for the button to stand on.
QPixmap AboutPicture() {
    QPixmap picture(140, 119);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 92);
    sky.setColorAt(0, QColor(24, 64, 128));
    sky.setColorAt(1, QColor(96, 160, 224));
    painter.fillRect(QRect(0, 0, 140, 92), sky);
    painter.fillRect(QRect(0, 92, 140, 27), QColor(16, 38, 77));
    painter.fillRect(QRect(0, 92, 140, 2), QColor(255, 200, 40));
    // The emblem: the target ring, the sun, and the pointer a script drives.
    painter.setPen(QPen(QColor(255, 255, 255), 5));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QPointF(62, 36), 21, 21);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 200, 40));
    painter.drawEllipse(QPointF(88, 15), 7, 7);
    const QPointF pointer[] = {{70, 40}, {70, 68}, {77, 61}, {82, 72}, {88, 69}, {83, 59}, {92, 59}};
    painter.setPen(QPen(QColor(16, 38, 77), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(QColor(255, 255, 255));
    painter.drawPolygon(pointer, 7);
    painter.setPen(QColor(255, 255, 255));
    QFont name = painter.font();
    name.setBold(true);
    name.setPixelSize(14);
    painter.setFont(name);
    painter.drawText(QRect(0, 72, 140, 20), Qt::AlignCenter, strings::AppTitle());
    return picture;
}

QLabel* CenteredLabel(QWidget* parent, const char* name, int x, int y, int w) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(x, y, w, 13);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    return label;
}

}  // namespace

TFormAbout::TFormAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormAbout"));
    setWindowTitle(strings::AboutCaption());
    ui::ApplyFormFont(this);
    setFixedSize(345, 145);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(8, 12, 140, 119);
    // The picture is drawn when the box first shows: drawing its name loads
    // fonts, which the program's start need not wait for.

    LabelTitle = CenteredLabel(this, "LabelTitle", 191, 8, 100);
    QFont bold = LabelTitle->font();
    bold.setBold(true);
    LabelTitle->setFont(bold);
    LabelVersion = CenteredLabel(this, "LabelVersion", 191, 21, 100);
    LabelLibVersion = CenteredLabel(this, "LabelLibVersion", 191, 33, 100);
    LabelLibVersion->setText(strings::AboutLibVersion());
    Label3 = new QLabel(strings::AboutProducedBy(), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->move(203, 49);
    Label3->setFont(bold);
    LabelProducedBy1 = CenteredLabel(this, "LabelProducedBy1", 151, 63, 180);
    LabelProducedBy2 = CenteredLabel(this, "LabelProducedBy2", 151, 75, 180);
    LabelProducedBy3 = CenteredLabel(this, "LabelProducedBy3", 151, 87, 180);
    LabelProducedBy4 = CenteredLabel(this, "LabelProducedBy4", 151, 99, 180);

    HLLabel1 = new THLLabel(this);
    HLLabel1->setObjectName(QStringLiteral("HLLabel1"));
    HLLabel1->setGeometry(188, 116, 102, 13);
    HLLabel1->SetFontColorIn(QColor(255, 255, 0));
    HLLabel1->SetFontColorOut(QColor(0, 0, 255));
    HLLabel1->SetLType(TLType::URL);
    HLLabel1->setText(strings::AboutAddress());
    QPalette blue = HLLabel1->palette();
    blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
    HLLabel1->setPalette(blue);

    Button1 = new QPushButton(strings::AboutOk(), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(43, 108, 75, 25);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);

    Label3->adjustSize();
    for (QLabel* label : {LabelTitle, LabelVersion, LabelLibVersion, Label3, LabelProducedBy1, LabelProducedBy2,
                          LabelProducedBy3, LabelProducedBy4, static_cast<QLabel*>(HLLabel1)})
        places_.emplace_back(label, label->geometry());

    if (const QScreen* s = screen())
        move(s->availableGeometry().center() - rect().center());
    FormCreate();
}

void TFormAbout::showEvent(QShowEvent* event) {
    if (Image1->pixmap().isNull())
        Image1->setPixmap(AboutPicture());
    FitTexts();
    QDialog::showEvent(event);
}

void TFormAbout::FitTexts() {
    // The texts stand right of the picture, within the box.
    const int columnLeft = Image1->geometry().right() + 2;
    const int columnRight = width() - 2;
    for (const auto& [label, place] : places_) {
        const QFontMetrics metrics(label->font());
        // A little room for an underline's or a bold face's overhang.
        const int textWidth = metrics.horizontalAdvance(label->text()) + 4;
        QRect fitted = place;
        fitted.setHeight(std::max(place.height(), metrics.height()));
        if (label->alignment() & Qt::AlignHCenter) {
            const int w = std::min(std::max(place.width(), textWidth), columnRight - columnLeft);
            const int left = std::clamp(place.center().x() + 1 - w / 2, columnLeft, columnRight - w);
            fitted = QRect(left, place.top(), w, fitted.height());
        } else {
            fitted.setWidth(std::max(place.width(), textWidth));
        }
        label->setGeometry(fitted);
    }
}

void TFormAbout::FormCreate() {
    for (QLabel* label : {LabelProducedBy1, LabelProducedBy2, LabelProducedBy3, LabelProducedBy4})
        label->clear();
}

}  // namespace orvexa

#include "app/about.h"

#include "app/Strings.h"
#include "app/hllabel.h"
#include "platform/qt/FormFont.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

namespace orvexa {
namespace {

// The About picture, 140 × 119: drawn rather than stored, so no binary
// asset has to be kept in step with the program.
QPixmap AboutPicture() {
    QPixmap picture(140, 119);
    QPainter painter(&picture);
    QLinearGradient sky(0, 0, 0, 119);
    sky.setColorAt(0, QColor(24, 64, 128));
    sky.setColorAt(1, QColor(96, 160, 224));
    painter.fillRect(picture.rect(), sky);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(255, 255, 255), 6));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QPointF(70, 52), 32, 32);
    painter.setBrush(QColor(255, 200, 40));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(92, 30), 9, 9);
    painter.setPen(QColor(255, 255, 255));
    QFont f = painter.font();
    f.setBold(true);
    f.setPixelSize(16);
    painter.setFont(f);
    painter.drawText(QRect(0, 92, 140, 22), Qt::AlignCenter, strings::AppTitle());
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
    setWindowTitle(QStringLiteral("About"));
    platform::ApplyFormFont(this);
    setFixedSize(345, 145);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(8, 12, 140, 119);
    Image1->setPixmap(AboutPicture());

    LabelTitle = CenteredLabel(this, "LabelTitle", 191, 8, 100);
    QFont bold = LabelTitle->font();
    bold.setBold(true);
    LabelTitle->setFont(bold);
    LabelVersion = CenteredLabel(this, "LabelVersion", 191, 21, 100);
    LabelLibVersion = CenteredLabel(this, "LabelLibVersion", 191, 33, 100);
    LabelLibVersion->setText(QStringLiteral("Tamblib Version 1.1"));
    Label3 = new QLabel(QStringLiteral("Produced By:"), this);
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
    HLLabel1->setText(QStringLiteral("orvexa.example.org"));
    QPalette blue = HLLabel1->palette();
    blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
    HLLabel1->setPalette(blue);

    Button1 = new QPushButton(QStringLiteral("&Ok"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(43, 108, 75, 25);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);

    if (const QScreen* s = screen())
        move(s->availableGeometry().center() - rect().center());
    FormCreate();
}

void TFormAbout::FormCreate() {
    for (QLabel* label : {LabelProducedBy1, LabelProducedBy2, LabelProducedBy3, LabelProducedBy4})
        label->clear();
}

}  // namespace orvexa

#include "platform/CommonDialogs.h"

#include <QColorDialog>
#include <QComboBox>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>
#include <QFileDialog>
#include <QFontDialog>
#include <QStringList>

#include <algorithm>

namespace {
// The common dialogs are Qt's; like every other window of the program they speak Japanese.
void UseJapaneseDialogs()
{
    static const bool loaded = [] {
        auto *translator = new QTranslator(QCoreApplication::instance());
        const bool ok = translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
        if (ok)
            QCoreApplication::installTranslator(translator);
        return ok;
    }();
    Q_UNUSED(loaded);
}
}  // namespace

QString ToQtFileFilter(const QString &filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        for (QString &p : patterns) {
            p = p.trimmed();
            if (p == QLatin1String("*.*"))
                p = QStringLiteral("*");
        }
        filters << parts[i] + QStringLiteral(" (") + patterns.join(u' ') + u')';
    }
    return filters.join(QStringLiteral(";;"));
}

QString ShowSaveFileDialog(QWidget *parent, const QString &filter, const QString &initialPath)
{
    UseJapaneseDialogs();
    QFileDialog dialog(parent, QString(), initialPath, ToQtFileFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The program asks its own overwrite question when it writes.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

QString ShowOpenFileDialog(QWidget *parent, const QString &filter, const QString &initialPath)
{
    UseJapaneseDialogs();
    QFileDialog dialog(parent, QString(), initialPath, ToQtFileFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

namespace {
// The colours a font may be drawn in, as the font dialogs of the original platform offered them.
struct FontColour {
    QRgb rgb;
    const char *name;  // UTF-8
};
constexpr FontColour FontColours[] = {
    {0x000000, "黒"}, {0x800000, "栗色"}, {0x008000, "緑"}, {0x808000, "オリーブ"},
    {0x000080, "紺"}, {0x800080, "紫"}, {0x008080, "緑青"}, {0x808080, "灰色"},
    {0xC0C0C0, "銀色"}, {0xFF0000, "赤"}, {0x00FF00, "ライム"}, {0xFFFF00, "黄"},
    {0x0000FF, "青"}, {0xFF00FF, "赤紫"}, {0x00FFFF, "水色"}, {0xFFFFFF, "白"},
};

QIcon Swatch(const QColor &color)
{
    QPixmap pixmap(16, 12);
    pixmap.fill(color);
    QPainter painter(&pixmap);
    painter.setPen(Qt::gray);
    painter.drawRect(0, 0, pixmap.width() - 1, pixmap.height() - 1);
    return QIcon(pixmap);
}
}  // namespace

bool ShowFontDialog(QWidget *parent, QFont &font, QColor &color)
{
    UseJapaneseDialogs();
    // Qt's font panel, with the colour choice its own dialog lacks below it.
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("FontDialog"));
    dialog.setWindowTitle(QStringLiteral("フォント"));
    auto *panel = new QFontDialog(font, &dialog);
    panel->setObjectName(QStringLiteral("FontPanel"));
    panel->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    panel->setWindowFlags(Qt::Widget);
    panel->setSizeGripEnabled(false);
    // Esc in the panel ends the panel's own dialog loop; it must end the whole dialog.
    QObject::connect(panel, &QDialog::rejected, &dialog, &QDialog::reject);
    // What the panel shows at first: a name the desktop lacks is shown as its substitute.
    const QString shownFamily = panel->currentFont().family();

    auto *colourLabel = new QLabel(QStringLiteral("色(&C):"), &dialog);
    auto *colours = new QComboBox(&dialog);
    colours->setObjectName(QStringLiteral("FontColour"));
    colourLabel->setBuddy(colours);
    bool listed = false;
    for (const FontColour &c : FontColours) {
        const QColor value = QColor::fromRgb(c.rgb);
        colours->addItem(Swatch(value), QString::fromUtf8(c.name), value);
        listed = listed || value == color;
    }
    if (!listed)
        colours->insertItem(0, Swatch(color), QStringLiteral("現在の色"), color);
    colours->setCurrentIndex(std::max(0, colours->findData(color)));

    // Buttons of the program's own captions (standard buttons would be retitled by Qt).
    auto *buttons = new QDialogButtonBox(&dialog);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("ｷｬﾝｾﾙ"), QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    auto *colourRow = new QHBoxLayout;
    if (panel->layout())
        colourRow->setContentsMargins(panel->layout()->contentsMargins().left(), 0, 0, 0);
    colourRow->addWidget(colourLabel);
    colourRow->addWidget(colours);
    colourRow->addStretch();
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(panel);
    layout->addLayout(colourRow);
    layout->addWidget(buttons);
    panel->show();

    if (dialog.exec() != QDialog::Accepted)
        return false;
    QFont chosen = panel->currentFont();
    // A family left as shown comes back as it was passed, so the caller can tell that the user
    // kept it, substitute or not.
    if (chosen.family() == shownFamily)
        chosen.setFamily(font.family());
    font = chosen;
    color = colours->currentData().value<QColor>();
    return true;
}

bool ShowColorDialog(QWidget *parent, QColor &color)
{
    UseJapaneseDialogs();
    const QColor chosen = QColorDialog::getColor(color, parent);
    if (!chosen.isValid())
        return false;
    color = chosen;
    return true;
}

// The table kinds no built-in dialog uses yet (text and address entries, slider, progress
// bar, picture), and the check of a table, on small tables of their own.
#include "plugintest.h"

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

namespace {

using namespace oxbow::plugintest;
using namespace oxbow::ui;
namespace cmd = oxcmd::cmd;

enum class KindId { Name = 1, Address, Count, Progress, Picture };

QString Named(const DialogView&, double) {
    return QStringLiteral("scope");
}

QString AddressText(const DialogView&, double) {
    return QStringLiteral("192.168.1.20");
}

std::vector<Row> KindRows(const char* picture) {
    return {
        {.id = IdOf(KindId::Name),
         .kind = Kind::Text,
         .cell = {0, 0},
         .text = Named,
         .maxLength = 8},
        {.id = IdOf(KindId::Address), .kind = Kind::Address, .cell = {1, 0}, .text = AddressText},
        {.id = IdOf(KindId::Count),
         .kind = Kind::Slider,
         .cell = {2, 0},
         .target = TargetOf(oxcmd::setting::acquire::kAverages),
         .low = 2,
         .high = 256},
        {.id = IdOf(KindId::Progress), .kind = Kind::Progress, .cell = {3, 0}},
        {.id = IdOf(KindId::Picture), .kind = Kind::Picture, .cell = {4, 0}, .picture = picture},
    };
}

// A dialog that keeps what its entries handed it.
class KindsDialog final : public CPluginDlg {
public:
    KindsDialog(const PluginContext& context, const DialogLayout& layout)
        : CPluginDlg(context, layout) {}
    std::vector<std::pair<int, QString>> texts;

protected:
    void OnText(int id, const QString& text) override { texts.emplace_back(id, text); }
};

class TableKinds : public PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        QImage image(12, 8, QImage::Format_RGB32);
        image.fill(Qt::red);
        ASSERT_TRUE(image.save(folder.filePath("logo.png")));
        picture = folder.filePath("logo.png").toStdString();
        rows = KindRows(picture.c_str());
        layout = {.title = "Kinds", .rows = rows};
        dialog = new KindsDialog(Context(), layout);
        dialog->show();
    }
    void TearDown() override {
        delete dialog;
        PluginTest::TearDown();
    }
    template <class W> W* Get(KindId id) { return qobject_cast<W*>(dialog->Control(id)); }

    QTemporaryDir folder;
    std::string picture;
    std::vector<Row> rows;
    DialogLayout layout;
    KindsDialog* dialog = nullptr;
};

TEST_F(TableKinds, TextAndAddressEntriesShowTheirTextAndHandOnAnEditedOne) {
    auto* name = Get<QLineEdit>(KindId::Name);
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text(), "scope");
    name->setFocus();
    name->selectAll();
    QTest::keyClicks(name, "a very long name");
    EXPECT_EQ(name->text(), "a very l"); // at most 8 characters
    QTest::keyClick(name, Qt::Key_Return);
    ASSERT_EQ(dialog->texts.size(), 1u);
    EXPECT_EQ(dialog->texts[0], std::make_pair(IdOf(KindId::Name), QString("a very l")));

    auto* address = Get<QLineEdit>(KindId::Address);
    EXPECT_EQ(address->text(), "192.168.1.20");
    address->setFocus();
    address->selectAll();
    QTest::keyClicks(address, "10.300"); // no number above 255: the last 0 is not taken
    EXPECT_EQ(address->text(), "10.30");
    QTest::keyClick(address, Qt::Key_Return); // no whole address: nothing handed on
    EXPECT_EQ(dialog->texts.size(), 1u);
    QTest::keyClicks(address, ".0.7");
    EXPECT_EQ(address->text(), "10.30.0.7");
    QTest::keyClick(address, Qt::Key_Return);
    ASSERT_EQ(dialog->texts.size(), 2u);
    EXPECT_EQ(dialog->texts[1].second, "10.30.0.7");
    EXPECT_TRUE(Drain().empty()); // the dialog decides what an edited text posts
}

TEST_F(TableKinds, ASliderPostsWhereItIsLeftAndShowsWhatWasKept) {
    auto* slider = Get<QSlider>(KindId::Count);
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->value(), 16);
    slider->setValue(100);
    const Posted p = Only();
    EXPECT_TRUE(p.Is(cmd::acquire::kAverages));
    EXPECT_EQ(p.Arg(cmd::acquire::kAverages), 100);
    EXPECT_EQ(slider->value(), 128); // kept as a power of two
}

TEST_F(TableKinds, AProgressBarShowsTheLevelTheDialogSetsAndAPictureItsImage) {
    auto* bar = Get<QProgressBar>(KindId::Progress);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->value(), 0);
    dialog->SetProgress(IdOf(KindId::Progress), 40);
    EXPECT_EQ(bar->value(), 40);
    Publish();
    EXPECT_EQ(bar->value(), 40); // a refresh leaves it
    auto* image = Get<QLabel>(KindId::Picture);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->pixmap().size(), QSize(12, 8));
}

TEST(LayoutProblems, NameWhatATableLacks) {
    const Row rows[] = {
        {.id = 1, .kind = Kind::Label, .cell = {0, 0}, .caption = "Scale"},
        {.id = 1, .kind = Kind::Label, .cell = {0, 1}, .caption = "again"},       // id taken
        {.id = 2, .kind = Kind::List, .cell = {1, 0}},                            // no setting
        {.id = 3, .kind = Kind::Text, .cell = {2, 0}, .text = Named},             // no limit
        {.id = 4, .kind = Kind::Label, .cell = {3, 0}, .box = 9, .caption = "x"}, // no box 9
        {.id = 5, .kind = Kind::Label, .cell = {-1, 0}, .caption = "y"},          // off the grid
    };
    const DialogLayout layout{.title = "Bad", .rows = rows};
    const std::vector<std::string> problems = LayoutProblems(layout);
    EXPECT_EQ(problems.size(), 5u);
    const DialogLayout sound{.title = "Good", .rows = std::span(rows, 1)};
    EXPECT_TRUE(LayoutProblems(sound).empty());
}

} // namespace

// `ostrevan-cfg render` run as a program: the demo bank gives one picture a form, none blank, and an index
// that names them all under their menu paths; the screen and platform options; the script's texts escaped.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QColor>
#include <QImage>
#include <QSet>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "tests/tools/tool_run.h"

namespace fs = std::filesystem;

namespace {

class CfgRender : public ::testing::Test {
protected:
    fs::path dir = fs::temp_directory_path() / ("ostrevan-cfg-render-test-" + std::to_string(getpid()));
    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }

    int run(const std::string& args) { return run_tool(std::getenv("OSTREVAN_CFG"), args, dir / "out", dir / "err"); }

    static fs::path demo() { return fs::path(std::getenv("OSTREVAN_SOURCE_DIR")) / "resources/demo/bank.xml"; }
};

// The pictures the index shows, in its order.
std::vector<std::string> pictures_of(const std::string& index) {
    std::vector<std::string> found;
    const std::regex img("<img src=\"([^\"]+)\"");
    for (auto it = std::sregex_iterator(index.begin(), index.end(), img); it != std::sregex_iterator(); ++it)
        found.push_back((*it)[1]);
    return found;
}

// How many colours a picture holds: a blank one has one or two.
int colours(const QImage& image) {
    QSet<QRgb> seen;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) seen.insert(image.pixel(x, y));
    return int(seen.size());
}

}  // namespace

TEST_F(CfgRender, TheDemoBankGivesEveryFormAPictureUnderItsMenuPath) {
    const fs::path out = dir / "forms";
    ASSERT_EQ(run("render " + demo().string() + " -o " + out.string()), 0) << read_all(dir / "err");
    const std::string index = read_all(out / "index.html");

    // Every script item of the demo in menu order, and the add form its card selections open.
    const std::vector<std::string> paths = {
        "Баланс",   "Баланс / форма добавления", "Выписка", "Платежи / Мобильная связь", "Платежи / Перевод на карту",
        "Мои карты"};
    size_t at = 0;
    for (const auto& path : paths) {
        const size_t found = index.find("<h2>" + path + "</h2>", at);
        ASSERT_NE(found, std::string::npos) << path << " missing or out of order";
        at = found;
    }
    // The commands hidden behind "Опции" are named under the picture.
    EXPECT_NE(index.find("Опции: Оплатить, В избранное"), std::string::npos);
    // The entry alert the user sees first is listed.
    EXPECT_NE(index.find("Запрос баланса по карте. Ответ придёт по СМС."), std::string::npos);

    // One picture a form, each named once by the index, none blank, each the size of the phone's screen.
    const std::vector<std::string> pictures = pictures_of(index);
    EXPECT_EQ(pictures.size(), paths.size());
    std::set<std::string> on_disk;
    for (const auto& entry : fs::directory_iterator(out))
        if (entry.path().extension() == ".png") on_disk.insert(entry.path().filename().string());
    EXPECT_EQ(on_disk, std::set<std::string>(pictures.begin(), pictures.end()));
    for (const auto& picture : pictures) {
        SCOPED_TRACE(picture);
        const QImage image(QString::fromStdString((out / picture).string()));
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), QSize(320, 480));
        EXPECT_GT(colours(image), 16);
    }
    // Nothing is written beside the script: no settings.
    EXPECT_FALSE(fs::exists(demo().parent_path() / "settings.cfg"));
}

TEST_F(CfgRender, DrawsTheChosenDeviceAndScreen) {
    const fs::path out = dir / "small";
    ASSERT_EQ(run("render " + demo().string() + " -o " + out.string() + " --platform-type PocketPC --screen 240x320"),
              0)
        << read_all(dir / "err");
    const std::string index = read_all(out / "index.html");
    EXPECT_NE(index.find("PocketPC"), std::string::npos);
    const auto pictures = pictures_of(index);
    ASSERT_FALSE(pictures.empty());
    for (const auto& picture : pictures)
        EXPECT_EQ(QImage(QString::fromStdString((out / picture).string())).size(), QSize(240, 320)) << picture;
    EXPECT_EQ(run("render " + demo().string() + " -o " + out.string() + " --screen 10x10"), 1);
    EXPECT_EQ(run("render " + demo().string()), 1);
}

TEST_F(CfgRender, TheScriptsTextsAreEscapedInTheIndex) {
    const fs::path script = dir / "s.xml";
    std::ofstream(script) << "<cfg><tree><List><ScriptList><Name>&lt;i&gt;Счета &amp; вклады</Name><List>"
                             "<ScriptItem><Name>&lt;script&gt;&quot;x&apos;</Name><Form><String>&lt;b&gt;</String>"
                             "</Form></ScriptItem></List></ScriptList></List></tree></cfg>";
    const fs::path out = dir / "escaped";
    ASSERT_EQ(run("render " + script.string() + " -o " + out.string()), 0) << read_all(dir / "err");
    const std::string index = read_all(out / "index.html");
    EXPECT_NE(index.find("<h2>&lt;i&gt;Счета &amp; вклады / &lt;script&gt;&quot;x&#39;</h2>"), std::string::npos)
        << index;
    EXPECT_EQ(index.find("<script>"), std::string::npos);
    EXPECT_EQ(index.find("<i>"), std::string::npos);
    EXPECT_EQ(pictures_of(index).size(), 1u);
}

TEST_F(CfgRender, AFormThatRaisesAnErrorIsNamedAndFailsTheRun) {
    // "HelpAlert" stored as a text: opening any item raises the program's type error instead of its form.
    const fs::path script = dir / "typed.xml";
    std::ofstream(script) << "<cfg><vars><string name=\"HelpAlert\">да</string></vars><tree><List>"
                             "<ScriptItem><Name>Баланс</Name><Form><String>Текст</String></Form></ScriptItem>"
                             "</List></tree></cfg>";
    const fs::path out = dir / "typed";
    EXPECT_EQ(run("render " + script.string() + " -o " + out.string()), 1);
    EXPECT_NE(read_all(dir / "err").find("Баланс: Не тот тип переменной\n"), std::string::npos)
        << read_all(dir / "err");
    const std::string index = read_all(out / "index.html");
    EXPECT_NE(index.find("<h2>Баланс</h2>\n<p class=\"failure\">Форма не показана: Не тот тип переменной</p>"),
              std::string::npos)
        << index;
    EXPECT_TRUE(pictures_of(index).empty());
}

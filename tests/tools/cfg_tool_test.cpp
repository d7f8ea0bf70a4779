// ostrevan-cfg run as a program: round trips, the summary of check, and the refusals with their messages.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/script/cfg_bytes.h"
#include "tests/tools/tool_run.h"

namespace fs = std::filesystem;

namespace {

using result_t = tool_result_t;

class CfgTool : public ::testing::Test {
protected:
    fs::path dir = fs::temp_directory_path() / ("ostrevan-cfg-test-" + std::to_string(getpid()));
    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }

    fs::path file(const std::string& name, const std::string& content) {
        std::ofstream(dir / name, std::ios::binary) << content;
        return dir / name;
    }
    fs::path file(const std::string& name, const byte_vector& bytes) {
        return file(name, std::string(bytes.begin(), bytes.end()));
    }

    // Runs the tool with its standard output going to `out` (the file "out" of the test's folder by default).
    result_t run(const std::string& args, const std::string& out = {}) {
        const int status =
            run_tool(std::getenv("OSTREVAN_CFG"), args, out.empty() ? dir / "out" : fs::path(out), dir / "err");
        return {status, read_all(dir / "out"), read_all(dir / "err")};
    }

    // Compiling `xml` fails with `message` after the source's name, and writes no output file.
    void expect_compile_refused(const std::string& xml, const std::string& message) {
        SCOPED_TRACE(xml);
        const fs::path source = file("bad.xml", xml);
        const result_t result = run("compile " + source.string() + " -o " + (dir / "bad.cfg").string());
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, source.string() + ":" + message + "\n");
        EXPECT_FALSE(fs::exists(dir / "bad.cfg"));
    }

    static fs::path fixture(const std::string& name) {
        return fs::path(std::getenv("OSTREVAN_SOURCE_DIR")) / "tests/tools/fixtures" / name;
    }
};

}  // namespace

TEST_F(CfgTool, DumpOfACompiledFileCompilesToTheSameBytes) {
    const fs::path sources[] = {fixture("bank.xml"), file("empty.xml", "<cfg/>")};
    for (const auto& source : sources) {
        for (const std::string pin : {"", " --pin 1234"}) {
            SCOPED_TRACE(source.string() + pin);
            ASSERT_EQ(run("compile " + source.string() + " -o " + (dir / "a.cfg").string() + pin).status, 0);
            const result_t dumped = run("dump " + (dir / "a.cfg").string() + pin);
            ASSERT_EQ(dumped.status, 0) << dumped.err;
            EXPECT_EQ(dumped.err, "");
            file("b.xml", dumped.out);
            ASSERT_EQ(run("compile " + (dir / "b.xml").string() + " -o " + (dir / "b.cfg").string() + pin).status, 0);
            EXPECT_EQ(read_all(dir / "a.cfg"), read_all(dir / "b.cfg"));
            EXPECT_EQ(run("dump " + (dir / "b.cfg").string() + pin).out, dumped.out);
        }
    }
}

TEST_F(CfgTool, CompileIsLiteralAndCheckLoadsAsTheProgram) {
    // A "String" without attributes stays without: its code word is 61, not 0x803D.
    const fs::path source = file("s.xml",
                                 "<cfg><tree><List><ScriptItem><Form><String>x</String></Form>"
                                 "</ScriptItem></List></tree></cfg>");
    ASSERT_EQ(run("compile " + source.string() + " -o " + (dir / "s.cfg").string()).status, 0);
    const std::string expected = [] {
        const byte_vector b =
            cfg_bytes_t().header().i32(0).i32(1).i32(5).i32(1).i32(33).i32(1).i32(39).i32(1).i32(61).str(u"x").bytes;
        return std::string(b.begin(), b.end());
    }();
    EXPECT_EQ(read_all(dir / "s.cfg"), expected);

    ASSERT_EQ(run("compile " + fixture("bank.xml").string() + " -o " + (dir / "bank.cfg").string()).status, 0);
    const result_t checked = run("check " + (dir / "bank.cfg").string());
    EXPECT_EQ(checked.status, 0);
    EXPECT_EQ(checked.out,
              "Переменных: 9\nТегов: 67\nМеню:\n  Баланс\n  Новая карта\n  Платежи/\n    Ostrevan\n  Избранное/\n"
              "    Баланс\n");
}

TEST_F(CfgTool, CheckShowsTheMenuAsTheProgramBuildsIt) {
    struct case_t {
        const char* name;
        std::string tree;
        std::string menu;
    };
    const case_t cases[] = {
        // The program's entry is the form's title, which the last name sets.
        {"two names", "<List><ScriptItem><Name>Первое</Name><Name>Второе</Name><Form/></ScriptItem></List>",
         "  Второе\n"},
        {"no name", "<List><ScriptItem><Form/></ScriptItem></List>", "  Ostrevan\n"},
        {"sub-menu with two names",
         "<List><ScriptList><Name>А</Name><Name>Б</Name><List><ScriptItem><Name>В</Name><Form/></ScriptItem>"
         "</List></ScriptList></List>",
         "  А/\n    В\n  Б/\n    В\n"},
    };
    for (const auto& c : cases) {
        const fs::path source = file("m.xml", "<cfg><tree>" + c.tree + "</tree></cfg>");
        ASSERT_EQ(run("compile " + source.string() + " -o " + (dir / "m.cfg").string()).status, 0) << c.name;
        const result_t checked = run("check " + (dir / "m.cfg").string());
        EXPECT_EQ(checked.status, 0) << c.name;
        const auto menu = checked.out.find("Меню:\n");
        ASSERT_NE(menu, std::string::npos) << c.name;
        EXPECT_EQ(checked.out.substr(menu + std::string("Меню:\n").size()), c.menu) << c.name;
    }
}

TEST_F(CfgTool, CompileRefusesWhatTheProgramCouldNotReadNamingLineAndColumn) {
    struct bad_t {
        std::string xml, message;
    };
    const bad_t cases[] = {
        {"<cfg><tree><Lst/></tree></cfg>", "1:17: Неизвестный тег \"Lst\""},
        {"<cfg><tree>\n<List><Item/></List></tree></cfg>", "2:13: тег \"Item\" не может стоять внутри тега \"List\""},
        {"<cfg><tree><MenuApplet/></tree></cfg>",
         "1:24: тег \"MenuApplet\" не может стоять внутри тега \"MenuApplet\""},
        {"<cfg><tree><List><ScriptItem><Image/></ScriptItem></List></tree></cfg>",
         "1:37: nnn: тег \"Image\" может стоять только внутри тега \"Logo\" или \"Form\", а стоит внутри тега "
         "\"ScriptItem\""},
        {"<cfg><tree><List> x </List></tree></cfg>", "1:21: составной тег \"List\" не может содержать текст"},
        {"<cfg><tree><Logo><Image><Src>a<Src/></Src></Image></Logo></tree></cfg>",
         "1:36: простой тег \"Src\" не может содержать теги"},
        {"<cfg><vars><bool name=\"a\" value=\"1\"/></vars></cfg>",
         "1:37: значение флага должно быть true или false, а не \"1\""},
        {"<cfg><vars><card id0=\"1\"/></vars></cfg>", "1:26: у элемента <card> нет атрибута name"},
        {"<cfg><vars><int name=\"a\"/></vars></cfg>", "1:26: здесь не может стоять элемент <int>"},
        {"<cfg><tree><List cfg.attributes=\"\" a=\"1\"/></tree></cfg>",
         "1:42: cfg.attributes=\"\" означает пустой набор атрибутов: других атрибутов у тега быть не может"},
        {"<cfg><tree><List a=\"1\"><cfg.attribute key=\"b c\" value=\"\"/></List></tree></cfg>",
         "1:58: атрибуты тега \"List\" записаны и атрибутами XML, и элементами cfg.attribute"},
        {"<tree/>", "1:7: ожидался элемент <cfg>"},
        {"<cfg><tree>", "1:11: документ XML обрывается раньше конца"},
    };
    for (const auto& bad : cases) expect_compile_refused(bad.xml, bad.message);
}

// One depth limit for the compiler and the loader: a tree of exactly 256 levels compiles, checks and dumps;
// one level more is refused by both.
TEST_F(CfgTool, CompilerAndLoaderShareTheDepthLimit) {
    auto nested = [](int levels) {
        std::string open, close;
        for (int level = 1; level <= levels; ++level) {
            const std::string name = level % 2 ? "List" : "ScriptList";
            open += "<" + name + ">";
            close = "</" + name + ">" + close;
        }
        return "<cfg><tree>" + open + close + "</tree></cfg>";
    };
    const fs::path deepest = file("deepest.xml", nested(256));
    ASSERT_EQ(run("compile " + deepest.string() + " -o " + (dir / "deepest.cfg").string()).status, 0);
    EXPECT_EQ(run("check " + (dir / "deepest.cfg").string()).status, 0);
    const result_t dumped = run("dump " + (dir / "deepest.cfg").string());
    EXPECT_EQ(dumped.status, 0) << dumped.err;

    const fs::path deeper = file("deeper.xml", nested(257));
    const result_t refused = run("compile " + deeper.string() + " -o " + (dir / "deeper.cfg").string());
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, deeper.string() + ":1:2321: теги вложены глубже 256 уровней\n");

    cfg_bytes_t bytes;
    bytes.header().i32(0).i32(1);
    for (int level = 1; level <= 257; ++level) bytes.i32(level % 2 ? 5 : 31).i32(level < 257);
    const fs::path too_deep = file("deeper.cfg", bytes.bytes);
    const result_t checked = run("check " + too_deep.string());
    EXPECT_EQ(checked.status, 1);
    EXPECT_NE(checked.err.find("глубже 256 уровней"), std::string::npos) << checked.err;
}

TEST_F(CfgTool, DumpAndCheckRefuseBadFilesNamingTheOffset) {
    auto tree = [](int32_t top_level) { return std::move(cfg_bytes_t().header().i32(0).i32(top_level)); };
    struct bad_t {
        byte_vector bytes;
        std::string message;
    };
    const bad_t cases[] = {
        {tree(1).i32(72).bytes, "смещение 32: Неизвестный код тега 72"},
        {tree(1).i32(-1).bytes, "смещение 32: Неизвестный код тега -1"},
        {tree(1).i32(5).i32(1).i32(33).i32(1).i32(24).i32(0).bytes,
         "смещение 48: nnn: тег \"Image\" может стоять только внутри тега \"Logo\" или \"Form\", а стоит внутри "
         "тега \"ScriptItem\""},
        {tree(1).i32(5).i32(1).i32(53).bytes,
         "файл испорчен: тег \"Item\" на смещении 40 не может стоять внутри тега \"List\""},
        {tree(2).i32(22).i32(0).bytes, "файл испорчен: данные обрываются на смещении 40"},
        {cfg_bytes_t().header().i32(1).i32(9).str(u"x").bytes,
         "файл испорчен: неизвестный тип переменной 9 на смещении 28"},
        {cfg_bytes_t().str(u"mfc arhivf").bytes, "Неверный пароль"},
        {{}, "файл пуст или его заголовок испорчен"},
    };
    for (const auto& bad : cases) {
        SCOPED_TRACE(bad.message);
        const fs::path path = file("bad.cfg", bad.bytes);
        for (const char* command : {"dump ", "check "}) {
            const result_t result = run(command + path.string());
            EXPECT_EQ(result.status, 1);
            EXPECT_EQ(result.out, "");
            EXPECT_EQ(result.err, path.string() + ": " + bad.message + "\n");
        }
    }
    // A missing file, and a file that cannot be created, are named as files, not as "the settings file".
    const fs::path absent = dir / "absent.cfg";
    EXPECT_EQ(run("check " + absent.string()).err, absent.string() + ": не удаётся открыть файл для чтения\n");
    const fs::path nowhere = dir / "no" / "config.cfg";
    EXPECT_EQ(run("compile " + fixture("bank.xml").string() + " -o " + nowhere.string()).err,
              nowhere.string() + ": не удаётся создать файл для записи\n");

    // A character XML cannot carry is refused by dump and named with the tag that holds it; check loads
    // the same file.
    const fs::path control = file("c.cfg", tree(1).i32(5).i32(1).i32(26).str(u"a\x01").bytes);
    const result_t dumped = run("dump " + control.string());
    EXPECT_EQ(dumped.status, 1);
    EXPECT_EQ(dumped.err, control.string() + ": символ U+0001 в теге List/Text нельзя записать в XML\n");
    EXPECT_EQ(run("check " + control.string()).status, 0);

    // Bytes after the tree are not read by the program; both commands say so and go on.
    const fs::path trailing = file("t.cfg", tree(0).i32(7).bytes);
    const result_t checked = run("check " + trailing.string());
    EXPECT_EQ(checked.status, 0);
    EXPECT_EQ(checked.err, trailing.string() + ": после дерева тегов остались байты, которые программа не читает: 4\n");
}

// A document type declaration could declare entities the program would never see (an external one was
// silently dropped: "a&x;b" compiled to "ab"). It is refused with its place; XML's own entities and
// character references still work.
TEST_F(CfgTool, CompileRefusesDocumentTypesAndUnknownEntities) {
    const std::string body = "<cfg><tree><List><ScriptItem><Name>a&x;b</Name></ScriptItem></List></tree></cfg>";
    struct bad_t {
        std::string xml, message;
    };
    const bad_t cases[] = {
        {"<!DOCTYPE cfg [<!ENTITY x SYSTEM \"file:///etc/hostname\">]>" + body,
         "1:58: объявление <!DOCTYPE> не допускается: сущности, кроме стандартных, не поддерживаются"},
        {"<!DOCTYPE cfg [<!ENTITY x \"y\">]>" + body,
         "1:32: объявление <!DOCTYPE> не допускается: сущности, кроме стандартных, не поддерживаются"},
        {body, "1:39: документ XML построен неверно"},
    };
    for (const auto& bad : cases) expect_compile_refused(bad.xml, bad.message);
    const fs::path good =
        file("good.xml",
             "<cfg><tree><List><ScriptItem><Name>&lt;&amp;&#1041;&#x42;</Name></ScriptItem></List></tree></cfg>");
    ASSERT_EQ(run("compile " + good.string() + " -o " + (dir / "good.cfg").string()).status, 0);
    EXPECT_NE(run("dump " + (dir / "good.cfg").string()).out.find("<Name>&lt;&amp;БB</Name>"), std::string::npos);
}

// What dump, check and --help print is their result: a full disk fails them.
TEST_F(CfgTool, OutputThatCannotBeWrittenFails) {
    ASSERT_EQ(run("compile " + fixture("bank.xml").string() + " -o " + (dir / "bank.cfg").string()).status, 0);
    for (const std::string& args :
         {"dump " + (dir / "bank.cfg").string(), "check " + (dir / "bank.cfg").string(), std::string("--help")}) {
        SCOPED_TRACE(args);
        const result_t result = run(args, "/dev/full");
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, "ostrevan-cfg: не удаётся записать стандартный вывод\n");
    }
}

// A compiled script is for the user's program to read: a new one gets the usual mode under the umask, a
// settings file (with a PIN) is private, and a file replaced keeps its mode.
TEST_F(CfgTool, CompiledFilesGetTheUsualModeAndReplacedOnesKeepTheirs) {
    const mode_t saved = ::umask(022);
    auto mode = [](const fs::path& path) {
        struct stat st {};
        ::stat(path.c_str(), &st);
        return st.st_mode & 07777;
    };
    const std::string source = fixture("bank.xml").string();
    EXPECT_EQ(run("compile " + source + " -o " + (dir / "config.cfg").string()).status, 0);
    EXPECT_EQ(mode(dir / "config.cfg"), 0644u);
    EXPECT_EQ(run("compile " + source + " -o " + (dir / "settings.cfg").string() + " --pin 1234").status, 0);
    EXPECT_EQ(mode(dir / "settings.cfg"), 0600u);
    fs::permissions(dir / "config.cfg", fs::perms(0640));
    fs::permissions(dir / "settings.cfg", fs::perms(0640));
    EXPECT_EQ(run("compile " + source + " -o " + (dir / "config.cfg").string()).status, 0);
    EXPECT_EQ(run("compile " + source + " -o " + (dir / "settings.cfg").string() + " --pin 1234").status, 0);
    EXPECT_EQ(mode(dir / "config.cfg"), 0640u);
    EXPECT_EQ(mode(dir / "settings.cfg"), 0640u);
    ::umask(saved);
}

// The program reads forms that the compiler never writes; dump says so for each one, since compiling the
// dump gives other bytes. A file in the writer's form dumps without a word (the round trip above).
TEST_F(CfgTool, DumpWarnsOfEachFormTheCompilerWritesDifferently) {
    cfg_bytes_t b;
    b.header().i32(1).i32(0);
    b.bytes.insert(b.bytes.end(), {1, 'a', 2});  // name "a" without the Unicode marker; flag byte 2
    b.i32(1).i32(5 | 0x8000).i32(2).str(u"k").str(u"1").str(u"k").str(u"2");  // key "k" twice
    b.i32(1).i32(26);
    b.bytes.insert(b.bytes.end(), {0xFF, 0xFE, 0xFF, 0xFF, 3, 0, 'x', 0, 'y', 0, 'z', 0});  // 16-bit length of 3
    const fs::path path = file("forms.cfg", b.bytes);
    const result_t dumped = run("dump " + path.string());
    EXPECT_EQ(dumped.status, 0);
    const std::string p = path.string() + ": предупреждение: ";
    EXPECT_EQ(dumped.err,
              p + "строка на смещении 32 записана без метки Юникода, после компиляции она будет с меткой\n" + p +
                  "флаг на смещении 34 записан байтом, отличным от 0 и 1, после компиляции он будет 1\n" + p +
                  "ключ атрибута на смещении 59 повторяется, в XML попадает только последнее значение\n" + p +
                  "длина строки на смещении 79 записана длиннее, чем нужно, после компиляции она будет короче\n");
    EXPECT_NE(dumped.out.find("<bool name=\"a\" value=\"true\"/>"), std::string::npos) << dumped.out;
    EXPECT_NE(dumped.out.find("<List k=\"2\">"), std::string::npos) << dumped.out;

    file("forms.xml", dumped.out);
    ASSERT_EQ(run("compile " + (dir / "forms.xml").string() + " -o " + (dir / "again.cfg").string()).status, 0);
    const result_t again = run("dump " + (dir / "again.cfg").string());
    EXPECT_EQ(again.err, "");
    EXPECT_EQ(again.out, dumped.out);
}

// The variables go through the program's registry, which keeps one variable per name: compile refuses a
// name given twice, and dump says that a file holding one compiles to other bytes.
TEST_F(CfgTool, AVariableNameGivenTwiceIsRefusedOrWarnedOf) {
    const fs::path source = file(
        "twice.xml", "<cfg><vars><bool name=\"a\" value=\"true\"/><bool name=\"a\" value=\"false\"/></vars></cfg>");
    const result_t refused = run("compile " + source.string() + " -o " + (dir / "twice.cfg").string());
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("переменная \"a\" уже описана выше"), std::string::npos) << refused.err;

    cfg_bytes_t b;
    b.header().i32(2).i32(0).str(u"a");
    b.bytes.push_back(1);
    b.i32(0).str(u"a");
    b.bytes.push_back(0);
    b.i32(0);
    const fs::path path = file("twice.cfg", b.bytes);
    const result_t dumped = run("dump " + path.string());
    EXPECT_EQ(dumped.status, 0);
    EXPECT_EQ(dumped.err,
              path.string() + ": предупреждение: после компиляции байты файла будут другими, начиная со смещения 24\n");
    EXPECT_NE(dumped.out.find("<bool name=\"a\" value=\"false\"/>"), std::string::npos) << dumped.out;
}

TEST_F(CfgTool, WrongPinAndBadArguments) {
    ASSERT_EQ(run("compile " + fixture("bank.xml").string() + " -o " + (dir / "p.cfg").string() + " --pin 1234").status,
              0);
    const result_t wrong = run("check " + (dir / "p.cfg").string() + " --pin 4321");
    EXPECT_EQ(wrong.status, 1);
    EXPECT_EQ(wrong.err, (dir / "p.cfg").string() + ": Неверный пароль\n");
    EXPECT_EQ(run("check " + (dir / "p.cfg").string() + " --pin 1234").status, 0);

    for (const char* args : {"", "compile x.xml", "dump", "frobnicate x.cfg", "dump x.cfg -o y"}) {
        const result_t result = run(args);
        EXPECT_EQ(result.status, 2) << args;
        EXPECT_EQ(result.err, "Неверные аргументы. ostrevan-cfg --help описывает их.\n") << args;
    }
    const result_t help = run("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("cfg.attributes=\"\""), std::string::npos);
}

// Our PDUs against an independent implementation: python3-gammu decodes what we encode, and encodes SMS-DELIVER
// PDUs (concatenated, 7-bit and UCS-2) that we decode and join.
#include <gtest/gtest.h>
#include <stdio.h>

#include <sstream>

#include "core/u16.h"
#include "platform/pdu/hex.h"
#include "platform/pdu/sms_decoder.h"
#include "platform/pdu/sms_encoder.h"
#include "platform/pdu/sms_reassembler.h"

namespace {

// Only Debian's own interpreter has the gammu module.
constexpr char python[] = "/usr/bin/python3";

bool have_gammu() {
    const std::string command = std::string(python) + " -c 'import gammu' 2>/dev/null";
    return std::system(command.c_str()) == 0;
}

std::vector<std::string> run_python(const std::string& script, const std::vector<std::string>& args) {
    std::string command = std::string(python) + " -c '" + script + "'";
    for (const auto& a : args) command += " " + a;  // hex only, nothing to quote
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    char buffer[4096];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
    EXPECT_EQ(pclose(pipe), 0) << output;
    std::vector<std::string> lines;
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string utf8_hex(const std::u16string& text) {
    const std::string utf8 = to_utf8(text);
    return to_hex({reinterpret_cast<const uint8_t*>(utf8.data()), utf8.size()});
}

std::u16string from_utf8_hex(const std::string& hex) {
    const auto bytes = from_hex(hex);
    return from_utf8({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
}

// One line per PDU: number, coding, class, header octets and text (UTF-8) in hex. Gammu counts a 7-bit text
// in septets and pads it with one junk character per extension-table character; the padding is cut off.
constexpr char decode_script[] = R"(
import gammu, sys
for pdu in sys.argv[1:]:
    d = gammu.DecodePDU(bytes.fromhex(pdu))
    if d["Coding"] == "Default_No_Compression":
        d["Text"] = d["Text"][:len(d["Text"]) - sum(c in "{}[]~|^\\\u20ac\f" for c in d["Text"])]
    print(d["Number"], d["Coding"], d["Class"], d["UDH"]["Text"].hex().upper() or "-",
          d["Text"].encode("utf-8").hex().upper() or "-")
)";

// Encodes each text (UTF-8 hex) as SMS-DELIVER parts from +79001234567; prints "message N" then its PDUs.
constexpr char encode_script[] = R"(
import gammu, sys, datetime
kinds = ["ConcatenatedTextLong", "ConcatenatedTextLong16bit"]
for n, arg in enumerate(sys.argv[1:]):
    text = bytes.fromhex(arg).decode("utf-8")
    info = {"Class": 1, "Unicode": any(ord(c) > 0x7F for c in text), "Entries": [{"ID": kinds[n % 2], "Buffer": text}]}
    print("message", n)
    for m in gammu.EncodeSMS(info):
        m.update(Number="+79001234567", Type="Deliver", DateTime=datetime.datetime(2026, 12, 10, 23, 59, 7),
                 SMSC={"Location": 0, "Number": "+79000000000", "Validity": "NA", "Format": "Text"})
        print(gammu.EncodePDU(m, Layout="Deliver").hex())
)";

}  // namespace

TEST(GammuInterop, GammuReadsOurSubmitPdusAsWeMeantThem) {
    if (!have_gammu()) GTEST_SKIP() << "python3-gammu is not installed (scripts/install-deps installs it)";
    struct Case {
        sms_outgoing_t message;
        std::string coding;
        std::string part_header;  // header octets of every part, "-" for none; "RRNNSS" stands for the concatenation
    };
    const std::u16string long_latin(400, u'x');
    const Case cases[] = {
        {{u"+79001234567", u"BAL;;ver=w2.17 {a}[b]~|^\\€", 0x2201}, "Default_No_Compression", "06050422012201"},
        {{u"89001234567", u"Перевод 100 руб. на карту", 0x2201, 0}, "Unicode_No_Compression", "06050422012201"},
        {{u"+79001234567", u"plain", std::nullopt, std::nullopt}, "Default_No_Compression", "-"},
        {{u"+79001234567", long_latin, 0x2201, 3, 0x5C}, "Default_No_Compression", "0B05042201220100035CNNSS"},
        {{u"+79001234567", std::u16string(150, u'Ж') + u"\U0001F600", std::nullopt, 2, 0x11},
         "Unicode_No_Compression",
         "050003"
         "11NNSS"},
    };
    for (const auto& c : cases) {
        const auto pdus = encode_submit(c.message);
        std::vector<std::string> hex;
        for (const auto& p : pdus) hex.push_back(p.hex);
        const auto lines = run_python(decode_script, hex);
        ASSERT_EQ(lines.size(), pdus.size());
        std::u16string joined;
        for (size_t i = 0; i < lines.size(); ++i) {
            std::istringstream fields(lines[i]);
            std::string number, coding, message_class, header, text;
            fields >> number >> coding >> message_class >> header >> text;
            EXPECT_EQ(number, to_utf8(c.message.address));
            EXPECT_EQ(coding, c.coding);
            EXPECT_EQ(message_class, c.message.message_class ? std::to_string(*c.message.message_class) : "-1");
            std::string expected = c.part_header;
            if (const auto at = expected.find("NNSS"); at != std::string::npos) {
                expected.replace(at, 4, to_hex(std::vector<uint8_t>{uint8_t(pdus.size()), uint8_t(i + 1)}));
            }
            EXPECT_EQ(header, expected);
            joined += text == "-" ? u"" : from_utf8_hex(text);
        }
        EXPECT_EQ(joined, c.message.text);
    }
}

TEST(GammuInterop, WeDecodeAndJoinGammusDeliverPdus) {
    if (!have_gammu()) GTEST_SKIP() << "python3-gammu is not installed (scripts/install-deps installs it)";
    const std::u16string originals[] = {
        std::u16string(170, u'a') + u"{€}" + std::u16string(150, u'b'),  // 7-bit, 8-bit reference
        u"Подтвердите платёж CFM123456 " + std::u16string(80, u'ю'),     // UCS-2, 16-bit reference
    };
    std::vector<std::string> args;
    for (const auto& text : originals) args.push_back(utf8_hex(text));
    const auto lines = run_python(encode_script, args);

    sms_reassembler_t reassembler(std::chrono::hours(1));
    std::vector<std::vector<sms_deliver_t>> messages;
    for (const auto& line : lines) {
        if (line.starts_with("message")) {
            messages.emplace_back();
        } else {
            ASSERT_FALSE(messages.empty());
            messages.back().push_back(std::get<sms_deliver_t>(decode_pdu_hex(line)));
        }
    }
    ASSERT_EQ(messages.size(), std::size(originals));
    for (size_t m = 0; m < messages.size(); ++m) {
        ASSERT_GT(messages[m].size(), 1u);
        EXPECT_EQ(messages[m][0].user_data.concat->wide_reference, m == 1);
        EXPECT_EQ(messages[m][0].dcs.message_class, 1);
        EXPECT_EQ(messages[m][0].smsc.value, u"+79000000000");
        EXPECT_EQ(messages[m][0].sc_timestamp.day, 10);
        std::vector<sms_text_t> out;
        for (auto it = messages[m].rbegin(); it != messages[m].rend(); ++it) {
            for (auto& t : reassembler.add(*it)) out.push_back(std::move(t));
        }
        ASSERT_EQ(out.size(), 1u);
        EXPECT_TRUE(out[0].complete);
        EXPECT_EQ(out[0].sender.value, u"+79001234567");
        EXPECT_EQ(out[0].text, originals[m]);
    }
}

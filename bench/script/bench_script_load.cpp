// The root's full load (variables, then the tree through the factory) and save of a generated 10 MB
// settings file, beside a raw read of the same bytes, so that the cost of the tag model over the
// archive shows as the ratio of the two.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "core/u16.h"
#include "script/factory.h"
#include "script/menu_applet_tag.h"
#include "script/script_context.h"
#include "storage/mfc_storage.h"
#include "vars/var_registry.h"
#include "vars/var_scope.h"

namespace {

const std::u16string pin = u"1234";

std::unique_ptr<MenuApplet_tag_t> new_root() {
    auto tag = create_tag_by_name(u"MenuApplet", nullptr);
    return std::unique_ptr<MenuApplet_tag_t>(static_cast<MenuApplet_tag_t*>(tag.release()));
}

tag_t& add(tag_t& parent, const std::u16string& name, const std::u16string& text = {}) {
    auto tag = create_tag_by_name(name, &parent);
    if (!tag) std::abort();
    if (auto* leaf = dynamic_cast<tag_simple_t*>(tag.get())) leaf->text = text;
    auto& node = static_cast<tag_complex_t&>(parent);
    node.children.push_back(std::move(tag));
    return *node.children.back();
}

// A script of script items shaped like a bank's: a form with texts, an input and a selection, and a send
// button, until the file holds about 10 MB.
struct script_file_t {
    std::string path =
        (std::filesystem::temp_directory_path() / ("ostrevan-script-bench-" + std::to_string(::getpid()))).string();
    uint64_t size = 0;

    script_file_t() {
        auto root = new_root();
        for (int i = 0; i < 300; ++i)
            global_vars->get_string(u"var" + std::u16string(i % 10 + 1, u'x') + from_utf8(std::to_string(i)))->value =
                u"значение";
        tag_t& list = add(*root, u"List");
        for (int i = 0; i < 13600; ++i) {
            const std::u16string n = from_utf8(std::to_string(i));
            tag_t& item = add(list, u"ScriptItem");
            add(item, u"Name", u"Платёж номер " + n);
            add(item, u"Id", u"pay" + n);
            tag_t& form = add(item, u"Form");
            add(form, u"String", u"Оплата услуг по договору, сумма списывается с выбранной карты");
            add(form, u"String", u"Комиссия не взимается");
            tag_t& input = add(form, u"Input");
            add(input, u"Caption", u"Сумма");
            add(input, u"MaxLength", u"10");
            add(input, u"Parameter", u"sum");
            tag_t& select = add(form, u"Select");
            add(select, u"Caption", u"Валюта");
            for (const char16_t* code : {u"RUB", u"USD", u"EUR"}) {
                tag_t& entry = add(select, u"Item");
                add(entry, u"Name", std::u16string(u"Валюта ") + code);
                add(entry, u"Value", code);
            }
            add(select, u"Parameter", u"currency");
            tag_t& send = add(item, u"ButtonSendSMS");
            add(send, u"Caption", u"Отправить");
            add(send, u"UserRequest", u"Оплатить {sum} {currency} по договору " + n + u"?");
            add(send, u"Body", u"PAY " + n + u" {sum} {currency}");
        }
        save(*root);
        size = std::filesystem::file_size(path);
    }
    ~script_file_t() { std::filesystem::remove(path); }

    void save(MenuApplet_tag_t& root) const {
        mfc_storage_t out(from_utf8(path), mfc_storage_t::mode_write, pin);
        script_context.current_storage = &out;
        root.save();
        if (!out.close()) std::abort();
    }
};

const script_file_t& file() {
    static const script_file_t f;
    return f;
}

void report(benchmark::State& state) {
    state.SetBytesProcessed(int64_t(state.iterations() * file().size));
    state.counters["MB"] = double(file().size) / (1024 * 1024);
}

void script_load(benchmark::State& state) {
    for (auto _ : state) {
        mfc_storage_t storage(from_utf8(file().path), mfc_storage_t::mode_read, pin);
        auto root = new_root();
        root->set_storages(&storage, &storage, false);
        root->load();
        benchmark::DoNotOptimize(root->children.size());
    }
    report(state);
}

void script_save(benchmark::State& state) {
    mfc_storage_t storage(from_utf8(file().path), mfc_storage_t::mode_read, pin);
    auto root = new_root();
    root->set_storages(&storage, &storage, false);
    root->load();
    for (auto _ : state) file().save(*root);
    report(state);
}

void raw_read(benchmark::State& state) {
    std::vector<char> buffer(4096);
    for (auto _ : state) {
        int fd = ::open(file().path.c_str(), O_RDONLY);
        while (::read(fd, buffer.data(), buffer.size()) > 0) benchmark::DoNotOptimize(buffer.data());
        ::close(fd);
    }
    report(state);
}

}  // namespace

BENCHMARK(script_load)->Unit(benchmark::kMillisecond);
BENCHMARK(script_save)->Unit(benchmark::kMillisecond);
BENCHMARK(raw_read)->Unit(benchmark::kMillisecond);

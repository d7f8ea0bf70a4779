#pragma once

// Every text the user sees, in one place. The texts are the system's own and are used as they stand.
// Each subsystem keeps its own section; add new texts to the section of the code that shows them.

namespace texts {

// The application's name: the caption of every message box.
inline constexpr char16_t app_name[] = u"Ostrevan";

// ---- storage and PIN ----------------------------------------------------------------------------

inline constexpr char16_t storage_cannot_open_write[] = u"невозможно открыть файл настроек на запись";
inline constexpr char16_t storage_cannot_open_read[] = u"невозможно открыть файл настроек на чтение";
inline constexpr char16_t storage_damaged[] =
    u"Файл настроек испорчен, для создания нового, выберите \"Новый пин-код\"";
inline constexpr char16_t storage_wrong_password[] = u"Неверный пароль";
// Faults in the data after the header: the user sees storage_damaged_data with one of the faults (here and
// in the sections of variables and tags) in place of %1. Other places in the faults are numbers; offsets
// count bytes from the start of the file.
inline constexpr char16_t storage_damaged_data[] = u"Файл настроек испорчен: %1";
inline constexpr char16_t storage_unexpected_end[] = u"данные обрываются на смещении %1";
inline constexpr char16_t storage_bad_string_length[] = u"длина строки %1 на смещении %2 больше остатка файла";
inline constexpr char16_t storage_bad_string_marker[] = u"повторная метка строки на смещении %1";
inline constexpr char16_t storage_read_failed[] = u"Ошибка чтения файла настроек на смещении %1";
// Saving writes a new file beside the old one and puts it in place only when all of it is on disk.
inline constexpr char16_t storage_save_failed[] = u"Не удалось сохранить файл настроек, прежний файл не изменён";
inline constexpr char16_t storage_save_unconfirmed[] =
    u"Файл настроек сохранён, но система не подтвердила запись каталога на диск";
// The failures above told without naming the settings file, for the tools, which name the file (a script
// or a settings file) themselves.
inline constexpr char16_t storage_damaged_data_detail[] = u"файл испорчен: %1";
inline constexpr char16_t storage_cannot_open_write_detail[] = u"не удаётся создать файл для записи";
inline constexpr char16_t storage_cannot_open_read_detail[] = u"не удаётся открыть файл для чтения";
inline constexpr char16_t storage_damaged_detail[] = u"файл пуст или его заголовок испорчен";
inline constexpr char16_t storage_read_failed_detail[] = u"ошибка чтения на смещении %1";
inline constexpr char16_t storage_save_failed_detail[] = u"не удалось записать файл, прежний файл не изменён";
inline constexpr char16_t storage_save_unconfirmed_detail[] =
    u"файл записан, но система не подтвердила запись каталога на диск";

// ---- user variables -----------------------------------------------------------------------------

inline constexpr char16_t var_wrong_type[] = u"Не тот тип переменной";
// Faults shown within storage_damaged_data. %1 is the stored code, %2 the byte offset of the record.
inline constexpr char16_t var_unknown_type[] = u"неизвестный тип переменной %1 на смещении %2";
// %1 is the stored count, %2 the byte offset where it stands.
inline constexpr char16_t var_bad_count[] = u"неверное число записей %1 на смещении %2";

// ---- script model -------------------------------------------------------------------------------

// The name an unknown tag code is reported with.
inline constexpr char16_t tag_name_unknown[] = u"Не известно";
// An "Image" tag under a parent other than "Logo" or "Form".
inline constexpr char16_t image_misplaced[] = u"nnn";
inline constexpr char16_t tag_code_unknown[] = u"Неизвестный код тега %1";
inline constexpr char16_t tag_unknown[] = u"Неизвестный тег \"%1\"";
// Faults of a damaged script or settings file (shown within storage_damaged_data). %1, %2 are tag names,
// the other places numbers; offsets count bytes from the start of the file.
inline constexpr char16_t tag_not_accepted[] = u"тег \"%1\" на смещении %3 не может стоять внутри тега \"%2\"";
inline constexpr char16_t tags_too_deep[] = u"теги на смещении %2 вложены глубже %1 уровней";
// The captions an input and a check box group show until a "Caption" replaces them.
inline constexpr char16_t input_caption[] = u"Ввод:";
inline constexpr char16_t checkbox_caption[] = u"Выберите:";
// The favourites list when it holds nothing and the script gives no text of its own for that.
inline constexpr char16_t favourites_empty[] = u"Список избранного пуст";

// ostrevan-cfg, the script compiler. Places are given before the message as FILE:LINE:COLUMN in XML
// and as "смещение N" in a .cfg file.
inline constexpr char16_t cfg_usage[] =
    u"Использование:\n"
    u"  ostrevan-cfg compile IN.xml -o OUT.cfg [--pin PIN]   XML-источник в файл сценария или настроек\n"
    u"  ostrevan-cfg dump IN.cfg [--pin PIN]                 файл в XML на стандартный вывод\n"
    u"  ostrevan-cfg check IN.cfg [--pin PIN]                загрузить файл, как программа, и кратко описать\n"
    u"  ostrevan-cfg lint SCRIPT [--format text|json] [--pin PIN]  найти ошибки сценария (XML или .cfg)\n"
    u"  ostrevan-cfg lint --rules                            правила lint с их кодами\n"
    u"  ostrevan-cfg render SCRIPT -o DIR [--platform-type NAME] [--screen WxH] [--pin PIN]\n"
    u"                                                       картинки всех форм и index.html в DIR\n"
    u"  ostrevan-cfg install BANK.cfg [--config-dir DIR] [--registry DIR] [--dry-run]\n"
    u"                                   установить сценарий банка пользователю (--dry-run: только сказать, что\n"
    u"                                   будет сделано)\n"
    u"  ostrevan-cfg --help | --version\n"
    u"\n"
    u"--pin задаёт ПИН-код, которым зашифрованы строки (settings.cfg); без него файл не зашифрован (config.cfg).\n"
    u"\n"
    u"install загружает файл, как программа, и не ставит тот, что не загружается. Сценарий кладётся в каталог\n"
    u"программы (по порядку: --config-dir DIR; OSTREVAN_CONFIG_DIR; config/ рядом с исполняемым файлом, если\n"
    u"там есть config.cfg; $XDG_DATA_HOME/ostrevan/, по умолчанию ~/.local/share/ostrevan/). settings.cfg не\n"
    u"меняется; если он есть, в реестре (--registry DIR, иначе OSTREVAN_REGISTRY, иначе\n"
    u"$XDG_STATE_HOME/ostrevan/registry) ставится метка переустановки: следующий запуск возьмёт новый сценарий\n"
    u"и сохранит данные пользователя.\n"
    u"\n"
    u"Код выхода: 0 успех, 1 ошибка (у lint: найдена хотя бы одна ошибка), 2 неверные аргументы.\n"
    u"\n"
    u"XML повторяет файл запись за записью: <cfg><vars>...</vars><tree>...</tree></cfg>.\n"
    u"Переменные: <bool name value=\"true|false\"/>, <cardlist name><card id0 id1 id2/>...</cardlist>,\n"
    u"<card name id0 id1 id2/>, <favlist name><fav id title/>...</favlist>, <fav name id title/>,\n"
    u"<string name>текст</string>.\n"
    u"Тег дерева - элемент с именем тега; его атрибуты XML - набор атрибутов тега, по порядку. Текст простого\n"
    u"тега - весь текст элемента с пробелами как есть; составной тег содержит только вложенные теги.\n"
    u"Пустой набор атрибутов: <Тег cfg.attributes=\"\">. Если ключ не является именем XML (или начинается\n"
    u"с \"xml\" или \"cfg.\"), весь набор записан элементами <cfg.attribute key=\"...\" value=\"...\"/> в\n"
    u"начале содержимого тега; текст простого тега тогда - текст после последнего из них.\n";
inline constexpr char16_t cfg_bad_arguments[] = u"Неверные аргументы. ostrevan-cfg --help описывает их.";
inline constexpr char16_t cfg_cannot_read[] = u"не удаётся прочитать файл";
inline constexpr char16_t cfg_cannot_write[] = u"не удаётся записать файл: %1";
inline constexpr char16_t cfg_root_expected[] = u"ожидался элемент <cfg>";
inline constexpr char16_t cfg_unexpected_element[] = u"здесь не может стоять элемент <%1>";
inline constexpr char16_t cfg_unexpected_text[] = u"в элементе <%1> не может быть текста";
inline constexpr char16_t cfg_tag_not_accepted[] = u"тег \"%1\" не может стоять внутри тега \"%2\"";
inline constexpr char16_t cfg_simple_has_children[] = u"простой тег \"%1\" не может содержать теги";
inline constexpr char16_t cfg_complex_has_text[] = u"составной тег \"%1\" не может содержать текст";
inline constexpr char16_t cfg_missing_attribute[] = u"у элемента <%1> нет атрибута %2";
inline constexpr char16_t cfg_unknown_attribute[] = u"у элемента <%1> не может быть атрибута %2";
inline constexpr char16_t cfg_bad_bool[] = u"значение флага должно быть true или false, а не \"%1\"";
inline constexpr char16_t cfg_mixed_attributes[] =
    u"атрибуты тега \"%1\" записаны и атрибутами XML, и элементами cfg.attribute";
inline constexpr char16_t cfg_empty_attributes_alone[] =
    u"cfg.attributes=\"\" означает пустой набор атрибутов: других атрибутов у тега быть не может";
inline constexpr char16_t cfg_too_deep[] = u"теги вложены глубже %1 уровней";
// %1 is the character's code, %2 one of the two places below.
inline constexpr char16_t cfg_not_xml_char[] = u"символ U+%1 в %2 нельзя записать в XML";
inline constexpr char16_t cfg_duplicate_var[] = u"переменная \"%1\" уже описана выше";
inline constexpr char16_t cfg_in_var[] = u"переменной \"%1\"";
inline constexpr char16_t cfg_in_tag[] = u"теге %1";
inline constexpr char16_t cfg_trailing_bytes[] = u"после дерева тегов остались байты, которые программа не читает: %1";
inline constexpr char16_t cfg_at_offset[] = u"смещение %1: %2";
inline constexpr char16_t cfg_summary[] = u"Переменных: %1\nТегов: %2\nМеню:\n";
inline constexpr char16_t cfg_dtd_refused[] =
    u"объявление <!DOCTYPE> не допускается: сущности, кроме стандартных, не поддерживаются";
inline constexpr char16_t cfg_unknown_entity[] = u"неизвестная сущность &%1;";
inline constexpr char16_t cfg_xml_cut_short[] = u"документ XML обрывается раньше конца";
inline constexpr char16_t cfg_xml_malformed[] = u"документ XML построен неверно";
// dump's warnings about forms that the compiler writes differently, so that compiling the dump gives other
// bytes. %1 is the byte offset of the value.
inline constexpr char16_t cfg_warn_string_without_marker[] =
    u"предупреждение: строка на смещении %1 записана без метки Юникода, после компиляции она будет с меткой";
inline constexpr char16_t cfg_warn_long_length[] =
    u"предупреждение: длина строки на смещении %1 записана длиннее, чем нужно, после компиляции она будет короче";
inline constexpr char16_t cfg_warn_flag_byte[] =
    u"предупреждение: флаг на смещении %1 записан байтом, отличным от 0 и 1, после компиляции он будет 1";
inline constexpr char16_t cfg_warn_repeated_attribute[] =
    u"предупреждение: ключ атрибута на смещении %1 повторяется, в XML попадает только последнее значение";
// %1 is the program's own text for a misplaced "Image", %2 the tag it stood in.
inline constexpr char16_t cfg_warn_other_bytes[] =
    u"предупреждение: после компиляции байты файла будут другими, начиная со смещения %1";
inline constexpr char16_t cfg_image_misplaced[] =
    u"%1: тег \"Image\" может стоять только внутри тега \"Logo\" или \"Form\", а стоит внутри тега \"%2\"";
inline constexpr char16_t cfg_output_failed[] = u"не удаётся записать стандартный вывод";

// ---- ostrevan-cfg lint: the checker of a bank's script ------------------------------------------
// A finding is printed as PLACE: warning|error: CODE: MESSAGE (the words editors and build tools look for). The reasons
// are the rule table's help text (`ostrevan-cfg lint --rules`); the messages name what was found (%1, %2 as each says).
inline constexpr char16_t lint_rules_heading[] = u"Правила ostrevan-cfg lint (код, важность, что находит):\n";
inline constexpr char16_t lint_reason_unknown_variable[] =
    u"шаблон (Body, UserRequest, EnterAlert, String, Help) называет переменную, которую не задаёт ни один тег "
    u"и которой нет среди переменных файла: на её месте будет пустой текст";
inline constexpr char16_t lint_reason_checkbox_in_template[] =
    u"шаблон называет флажок (переменную CheckBox): шаблоны печатают только текст и карты, флажок не печатается";
inline constexpr char16_t lint_reason_unclosed_brace[] =
    u"в шаблоне \"{\" без \"}\": текст с этого места выводится как написан";
inline constexpr char16_t lint_reason_card_list_no_template[] =
    u"SelectCard предлагает список карт, которому ни одна форма добавления (ScriptItemAdd с ButtonAdd и "
    u"Delimeter) не даёт шаблон показа: карты показываются шаблоном по умолчанию {id0}-{id1}, а не так, как "
    u"задумал банк";
inline constexpr char16_t lint_reason_default_unmatched[] =
    u"значение по умолчанию не совпадает ни с одним вариантом: Select ничего не выбирает по нему, "
    u"DefaultValue флажка не true и не false, DefaultValue поля не помещается в поле";
inline constexpr char16_t lint_reason_no_bank_number[] =
    u"у пункта есть ButtonSendSMS, но номера банка нет ни в ISDN, ни в переменной _smsISDN, и пользователь "
    u"не может его выбрать: запрос не уйдёт";
inline constexpr char16_t lint_reason_add_button_unoffered[] =
    u"ButtonAdd или ButtonDel меняет список карт, который не предлагает ни один SelectCard вне форм добавления";
inline constexpr char16_t lint_reason_add_form_no_list[] =
    u"форма добавления (ScriptItemAdd с ButtonAdd или ButtonDel) не связана ни с каким списком карт: "
    u"в её форме нет SelectCard с Object";
inline constexpr char16_t lint_reason_too_many_commands[] =
    u"команд на форме больше, чем показывают экраны: лишние не вызвать";
inline constexpr char16_t lint_reason_too_many_menu_entries[] =
    u"пунктов меню больше, чем меню может запустить: лишние показаны недоступными";
inline constexpr char16_t lint_reason_no_effect[] =
    u"тег принят там, где он ничего не делает (он действует только под другими тегами или не действует вовсе)";
inline constexpr char16_t lint_reason_ignored_keyword[] =
    u"тег-ключевое слово (TextSendOk, Timeout, Icon...) программа хранит, но не читает: его текст не виден";
inline constexpr char16_t lint_reason_duplicate_id[] =
    u"один Id у двух пунктов: избранное и поиск пункта по Id их смешают";
inline constexpr char16_t lint_reason_amount_type[] =
    u"поле суммы (BankSpecified QuillantoraRemovePoint: запрос печатает сумму в копейках) без типа CURRENCY: "
    u"поле не следит за форматом суммы";
inline constexpr char16_t lint_reason_empty_body[] =
    u"у ButtonSendSMS нет текста Body: программа сообщит об успешной отправке, хотя ничего не ушло";
inline constexpr char16_t lint_reason_unknown_word[] =
    u"слово, которое программа не знает (Mode, Type поля, PortPresent): действует значение по умолчанию";
inline constexpr char16_t lint_reason_unknown_card_field[] =
    u"шаблон карты (Delimeter) называет поле, которого у карты нет (есть id0, id1, id2, name, id)";
inline constexpr char16_t lint_reason_menu_unreachable[] =
    u"ScriptList без Name не попадает в меню: его пункты не открыть";
inline constexpr char16_t lint_reason_literal_braces[] =
    u"текст с \"{...}\", который программа не раскрывает как шаблон (UserRequest и Body варианта Item, "
    u"UserRequestAdd, UserRequestDel): скобки и имя попадут в запрос или на экран как написаны";
inline constexpr char16_t lint_reason_del_never_deletes[] =
    u"ButtonDel формы добавления без UserRequest: без вопроса программа никогда не удаляет карту";

// The findings' messages.
inline constexpr char16_t lint_msg_unknown_variable[] =
    u"переменную \"%1\" не задаёт ни один тег пункта и её нет среди переменных файла: на её месте будет пустой текст";
inline constexpr char16_t lint_msg_checkbox_in_template[] =
    u"\"%1\" - флажок CheckBox: шаблон его не печатает, на его месте будет пустой текст";
inline constexpr char16_t lint_msg_unclosed_brace[] = u"\"{\" без \"}\": текст с этого места останется как написан";
inline constexpr char16_t lint_msg_card_list_no_template[] =
    u"список карт \"%1\" не получает шаблон показа ни от одной формы добавления с ButtonAdd и Delimeter: "
    u"карты будут показаны шаблоном по умолчанию {id0}-{id1}";
inline constexpr char16_t lint_msg_select_default_unmatched[] =
    u"сохранённое значение \"%1\" переменной \"%2\" не совпадает ни с одним Value вариантов: выбор по нему не "
    u"сработает";
inline constexpr char16_t lint_msg_checkbox_default_unmatched[] =
    u"DefaultValue \"%1\" - не true и не false: флажок будет снят";
inline constexpr char16_t lint_msg_input_default_too_long[] =
    u"DefaultValue \"%1\" длиннее MaxLength %2: поле его не вместит";
inline constexpr char16_t lint_msg_input_default_not_digits[] =
    u"DefaultValue \"%1\" не число, а поле типа %2 принимает только цифры";
inline constexpr char16_t lint_msg_no_bank_number[] =
    u"номера банка нет: ISDN пуст или \"000\", переменной _smsISDN с номером нет, Save _smsISDN нигде нет";
inline constexpr char16_t lint_msg_add_button_unoffered[] =
    u"список карт \"%1\" не предлагает ни один SelectCard вне форм добавления";
inline constexpr char16_t lint_msg_add_form_no_list[] =
    u"форма добавления не связана со списком карт: в её форме нет SelectCard с Object";
inline constexpr char16_t lint_msg_too_many_commands[] =
    u"команда %1 на форме: экраны показывают не больше %2 команд, эту не вызвать";
inline constexpr char16_t lint_msg_too_many_menu_entries[] =
    u"пункт меню %1: меню запускает не больше %2 пунктов, этот будет недоступен";
inline constexpr char16_t lint_msg_no_effect[] = u"тег \"%1\" внутри тега \"%2\" ничего не делает";
inline constexpr char16_t lint_msg_no_effect_anywhere[] = u"тег \"%1\" программа хранит, но ни на что не применяет";
inline constexpr char16_t lint_msg_bank_option_unknown[] =
    u"BankSpecified \"%1\" ничего не делает: программа знает QuillantoraRemovePoint, QuillantoraChangeDate, "
    u"zerofillbefore и AddPlusSignBegin у поля Input с Parameter";
inline constexpr char16_t lint_msg_ignored_keyword[] =
    u"тег \"%1\" программа не читает: его текст нигде не показывается";
inline constexpr char16_t lint_msg_duplicate_id[] = u"Id \"%1\" уже есть у пункта \"%2\"";
inline constexpr char16_t lint_msg_amount_type[] =
    u"сумма печатается в копейках (QuillantoraRemovePoint), а тип поля \"%1\", не CURRENCY";
inline constexpr char16_t lint_msg_empty_body[] =
    u"нет Body: пользователь увидит \"Сообщение отправлено успешно\", хотя ничего не ушло";
inline constexpr char16_t lint_msg_unknown_word[] = u"\"%1\" в теге \"%2\" программа не знает: действует %3";
inline constexpr char16_t lint_msg_unknown_card_field[] = u"у карты нет поля \"%1\": на его месте будет пустой текст";
inline constexpr char16_t lint_msg_menu_unreachable[] = u"у ScriptList нет Name: его пункты не попадут в меню";
inline constexpr char16_t lint_msg_literal_braces[] =
    u"\"{%1}\" останется как написано: текст тега \"%2\" внутри \"%3\" не раскрывается как шаблон";
inline constexpr char16_t lint_msg_del_never_deletes[] = u"нет UserRequest: карта никогда не будет удалена";

// ---- ostrevan-cfg render: pictures of every form ---------------------------------------------------
inline constexpr char16_t render_title[] = u"Формы сценария %1";
// %1 the platform type, %2 and %3 the screen's width and height.
inline constexpr char16_t render_device[] = u"Тип устройства: %1, экран %2x%3";
inline constexpr char16_t render_message[] = u"Сообщение: %1";
// %1 the captions of the form's commands, comma-separated.
inline constexpr char16_t render_commands[] = u"Опции: %1";
inline constexpr char16_t render_failure[] = u"Форма не показана: %1";
inline constexpr char16_t render_no_form[] = u"Форма не показана: в ней нет полей или карт";
inline constexpr char16_t render_not_in_menu[] = u"нет в меню";
// %1 the menu path of the item whose card selection opens the add form.
inline constexpr char16_t render_add_form[] = u"%1 / форма добавления";
inline constexpr char16_t render_written[] = u"Картинок форм: %1, страница %2\n";

// ---- screens ------------------------------------------------------------------------------------

// The soft keys of a form.
inline constexpr char16_t soft_key_options[] = u"Опции";
inline constexpr char16_t soft_key_back[] = u"Назад";
// An item's control could not be made, or moved in a new layout.
inline constexpr char16_t control_not_created[] = u"Не создался контрол";
inline constexpr char16_t control_not_moved[] = u"Не перерисовался контрол";
// A confirming button found an item that refused its value and said nothing of why.
inline constexpr char16_t item_error[] = u"ошибка";
// The favourites sub-menu when it has no entries.
inline constexpr char16_t menu_empty[] = u"Пусто";

// ---- messaging ----------------------------------------------------------------------------------

// The sending dialog, shown while one SMS is handed to the modem.
inline constexpr char16_t sending_title[] = u"Сообщение";
inline constexpr char16_t sending_label[] = u"Отправка смс...";
inline constexpr char16_t sending_cancel[] = u"Отмена";

// Why the message store could not be opened at start-up.
inline constexpr char16_t mapi_init_failed[] = u"Ошибка инициализации MAPI";
inline constexpr char16_t mapi_logon_failed[] = u"Не открылась сессия MAPI";
inline constexpr char16_t mapi_no_table[] = u"Невозможно получить таблицу";
inline constexpr char16_t mapi_columns_failed[] = u"Ошибка выбора колонки";
inline constexpr char16_t mapi_store_open_failed[] = u"Не открылось хранлище";
inline constexpr char16_t mapi_no_store[] = u"Ошибка при получении хранилища";
inline constexpr char16_t mapi_no_sms_account[] = u"Не найден СМС аккаунт";
inline constexpr char16_t mapi_no_folder_id[] = u"Не получен идентификатор папки";
inline constexpr char16_t mapi_folder_open_failed[] = u"Не открылась MAPI папка";
inline constexpr char16_t mapi_advise_failed[] = u"Ошибка при инициализации приема смс";

// ---- modem and SMS layer ------------------------------------------------------------------------

// PDU codec: faults of a number or text to send, and of a received PDU (the decoder adds the octet offset).
inline constexpr char16_t pdu_bad_number[] = u"Номер должен состоять из цифр, перед которыми может стоять \"+\"";
inline constexpr char16_t pdu_number_too_long[] = u"Номер длиннее 20 цифр";
inline constexpr char16_t pdu_bad_sender[] = u"Буквенный адрес отправителя должен быть из 1..11 знаков алфавита GSM";
inline constexpr char16_t pdu_bad_class[] = u"Класс сообщения должен быть от 0 до 3";
inline constexpr char16_t pdu_text_too_long[] = u"Текст не помещается в 255 частей SMS";
inline constexpr char16_t pdu_bad_hex[] = u"PDU должен быть записан парами шестнадцатеричных цифр";
inline constexpr char16_t pdu_truncated[] = u"PDU обрывается";
inline constexpr char16_t pdu_bad_smsc_length[] = u"Длина адреса сервисного центра больше 11 байт";
inline constexpr char16_t pdu_bad_address_length[] = u"Длина адреса больше 20 цифр";
inline constexpr char16_t pdu_bad_user_data_length[] = u"Длина данных сообщения больше 140 байт";
inline constexpr char16_t pdu_bad_header_length[] = u"Заголовок данных длиннее самих данных";
inline constexpr char16_t pdu_bad_header_element[] = u"Элемент заголовка данных выходит за границу заголовка";
inline constexpr char16_t pdu_at_octet[] = u" (байт ";

// Why the modem cannot send or receive, found at its start.
inline constexpr char16_t modem_sim_pin[] =
    u"SIM-карта модема ждёт PIN-код: введите его в модеме или телефоне и запустите программу снова";
inline constexpr char16_t modem_sim_puk[] = u"SIM-карта модема заблокирована и ждёт PUK-код";
inline constexpr char16_t modem_no_sim[] = u"В модеме нет SIM-карты";
inline constexpr char16_t modem_sim_not_ready[] = u"SIM-карта модема не готова: ";
inline constexpr char16_t modem_no_service_centre[] =
    u"В SIM-карте модема не задан номер SMS-центра: сообщения не будут отправлены";
inline constexpr char16_t modem_not_registered[] =
    u"Модем не зарегистрирован в сети: сообщения уйдут, когда он найдёт сеть";
inline constexpr char16_t modem_registration_denied[] = u"Сеть отказала модему в регистрации";
inline constexpr char16_t modem_unreachable[] =
    u"Модем не отвечает: запросы не уйдут и ответы банка не придут, пока он не заработает";
// The modem as ModemManager holds it.
inline constexpr char16_t mm_not_running[] =
    u"Служба ModemManager не запущена: запросы не уйдут и ответы банка не придут, пока она не заработает";
inline constexpr char16_t mm_no_modem[] =
    u"ModemManager не видит модема, умеющего SMS: запросы не уйдут и ответы банка не придут, пока модем не появится";
inline constexpr char16_t mm_modem_disabled[] =
    u"Модем выключен: включите его в настройках системы, иначе запросы не уйдут и ответы банка не придут";
// After modem_sim_not_ready.
inline constexpr char16_t mm_modem_failed[] = u"ModemManager сообщает о сбое модема";
// The storage where new messages arrive is full, and the modem has no other with room.
inline constexpr char16_t modem_storage_full[] =
    u"Память для SMS в модеме заполнена: ответы банка не придут, пока не удалить в ней старые сообщения";

// ---- application shell --------------------------------------------------------------------------

// The main window: its title and soft keys.
inline constexpr char16_t main_title[] = u"Quillantora Ostrevan";
inline constexpr char16_t soft_key_exit[] = u"Выход";
inline constexpr char16_t soft_key_menu[] = u"Меню";
inline constexpr char16_t messaging_start_failed[] =
    u"Не удалось инициализировать систему приема и отправки СМС сообщений.\n Для работы приложения необходимо, "
    u"чтобы устройство имело возможность отправлять/принимать СМС сообщения.";
// The script could not be read or linked at start: %1 is the file, %2 the fault with its place in the file.
inline constexpr char16_t script_load_failed[] = u"Не удалось загрузить сценарий из файла %1:\n%2";
// The settings could not be written at exit: %1 is why; the previous file stays as it was.
inline constexpr char16_t settings_not_saved[] = u"Настройки не сохранены: %1";

// Payment confirmation: the bank's text stands between the two parts.
inline constexpr char16_t confirm_payment_before[] = u"Принят запрос на подтверждение платежа:\n\n";
inline constexpr char16_t confirm_payment_after[] = u"\n\nПодтвердить?";
// The confirmation code was taken by the modem without a definite answer; a repeat is a choice of its own.
inline constexpr char16_t confirm_code_unknown[] =
    u"Код подтверждения, возможно, дошёл до банка: модем не подтвердил отправку. Дождитесь ответа банка: он "
    u"покажет, принят ли код. Повторная отправка может повторить платёж.";
inline constexpr char16_t confirm_code_repeat_question[] =
    u"Всё равно отправить код подтверждения ещё раз? Если первый код дошёл до банка, платёж может быть выполнен "
    u"повторно.";

// The PIN login and its two dialogs.
inline constexpr char16_t login_defaults_failed[] = u"Невозможно открыть файл настроек по умолчанию";
inline constexpr char16_t old_pin_title[] = u"Ввод пин-кода";
inline constexpr char16_t old_pin_label[] = u"Введите пин-код:";
inline constexpr char16_t old_pin_options[] = u"Опции";
inline constexpr char16_t old_pin_login[] = u"Войти в программу";
inline constexpr char16_t old_pin_change[] = u"Смена пин-кода";
inline constexpr char16_t old_pin_new[] = u"Новый пин-код";
inline constexpr char16_t old_pin_empty[] = u"Введите пин-код";
inline constexpr char16_t old_pin_wrong[] =
    u"Неверный пин-код. Внимание! После пяти \tневерно введенных пин-кодов все настройки программы будут удалены.";
inline constexpr char16_t old_pin_wrong_change[] =
    u"Неверный пин-код. Для смены пин-кода \tнеобходимо ввести старый пин-код. Внимание! После пяти неверных "
    u"\tпопыток все настройки программы будут удалены.";
inline constexpr char16_t old_pin_new_warning[] =
    u"Внимание! Задание нового пин-кода приведет к удалению всех настроек программы. Продолжить?";
inline constexpr char16_t new_pin_title[] = u"Задать новый пин-код";
inline constexpr char16_t new_pin_intro[] = u"Для работы с программой необходимо задать пин-код (4 цифры)";
inline constexpr char16_t new_pin_label[] = u"Введите новый пин-код:";
inline constexpr char16_t new_pin_repeat_label[] = u"Повторите пин-код:";
inline constexpr char16_t new_pin_set[] = u"Задать";
inline constexpr char16_t new_pin_mismatch[] = u"Неправильное подтверждение пин-кода.";
inline constexpr char16_t new_pin_too_short[] = u"Пин-код должен содержать минимум 4 цифры.";

// The program's own command line (diagnostics go to standard error).
inline constexpr char16_t app_usage[] =
    u"Использование: ostrevan [ПАРАМЕТРЫ]\n"
    u"  --config-dir DIR      каталог config.cfg и settings.cfg (см. ниже)\n"
    u"  --registry DIR        каталог реестра (иначе OSTREVAN_REGISTRY, иначе $XDG_STATE_HOME/ostrevan/registry)\n"
    u"  --platform-type NAME  тип устройства (иначе OSTREVAN_PLATFORM_TYPE, иначе Smartphone)\n"
    u"  --modem URI           модем: sim | serial:DEVICE[:BAUD] | tcp:HOST:PORT | mm[:MODEM] | auto (ModemManager)\n"
    u"                        (по умолчанию sim)\n"
    u"  --screen WxH          размер экрана в точках (по умолчанию 320x480)\n"
    u"  --demo                демонстрационный банк на имитаторе модема, в своём каталоге\n"
    u"                        $XDG_DATA_HOME/ostrevan/demo/ (данные пользователя не затрагиваются)\n"
    u"  --verbose             диагностика на стандартный поток ошибок\n"
    u"  --scenario FILE       пройти сценарий из FILE вместо пользователя (см. README)\n"
    u"  --screenshots DIR     куда сценарий сохраняет снимки экрана\n"
    u"  --trace-startup FILE  записать в FILE моменты запуска и выхода (для замеров скорости)\n"
    u"  --help                эта справка\n"
    u"  --version             версия программы\n"
    u"\n"
    u"Каталог сценария банка (config.cfg и settings.cfg), по порядку:\n"
    u"  1. --config-dir DIR;\n"
    u"  2. переменная окружения OSTREVAN_CONFIG_DIR;\n"
    u"  3. config/ рядом с исполняемым файлом программы, если там есть config.cfg;\n"
    u"  4. $XDG_DATA_HOME/ostrevan/ (по умолчанию ~/.local/share/ostrevan/).\n"
    u"Сценарий банка туда кладёт ostrevan-cfg install.\n"
    u"\n"
    u"Код выхода: 0 успех, 1 ошибка, 2 неверные параметры.\n";
// What `--version` prints (the first word is the program's name, as manual-page tools expect).
inline constexpr char16_t version_line[] = u"%1 %2\n";
inline constexpr char16_t app_bad_arguments[] = u"Неверные аргументы: %1. ostrevan --help описывает их.";
// What is wrong with the arguments, in place of %1 above.
inline constexpr char16_t app_option_without_value[] = u"у %1 нет значения";
inline constexpr char16_t app_screenshots_without_scenario[] = u"--screenshots без --scenario";
inline constexpr char16_t app_bad_modem_address[] =
    u"неверный адрес модема «%1» (ожидается sim, serial:УСТРОЙСТВО[:СКОРОСТЬ], tcp:УЗЕЛ:ПОРТ, mm[:МОДЕМ] или auto)";
// --modem auto found nothing to use.
inline constexpr char16_t app_no_modem_found[] =
    u"Модем не найден: на системной шине D-Bus нет службы ModemManager (org.freedesktop.ModemManager1) с модемом, "
    u"умеющим SMS. Укажите модем сами: --modem serial:УСТРОЙСТВО[:СКОРОСТЬ] или --modem tcp:УЗЕЛ:ПОРТ";
inline constexpr char16_t app_demo_with_config_dir[] =
    u"--demo работает в своём каталоге, --config-dir с ним не задаётся";
inline constexpr char16_t app_demo_with_modem[] = u"--demo работает только на имитаторе модема";
// The installed demo bank is missing (a program that was not installed, or a damaged installation).
inline constexpr char16_t app_demo_missing[] = u"Демонстрационный банк не установлен: нет файла %1";
inline constexpr char16_t app_demo_not_prepared[] = u"Не удалось подготовить демонстрационный банк в %1: %2";

// The desktop notification of a bank message that arrives while the window is not in front: its title, and the
// name of its action (the click).
inline constexpr char16_t notify_bank_message[] = u"Сообщение банка";
inline constexpr char16_t notify_confirmation[] = u"Банк просит подтвердить платёж";
inline constexpr char16_t notify_open[] = u"Открыть";

// ---- installing a bank's script (ostrevan-cfg install) -------------------------------------------------

// What was done, one line each; %1 a folder or file.
inline constexpr char16_t install_made_folder[] = u"Создан каталог %1 (доступ только владельцу).";
inline constexpr char16_t install_would_make_folder[] = u"Будет создан каталог %1 (доступ только владельцу).";
inline constexpr char16_t install_wrote[] = u"Сценарий банка установлен: %1.";
inline constexpr char16_t install_would_write[] = u"Сценарий банка будет установлен: %1.";
inline constexpr char16_t install_same[] = u"Этот сценарий уже установлен в %1, ничего не изменено.";
inline constexpr char16_t install_marker_set[] =
    u"Настройки пользователя (%1) сохранены: при следующем запуске программа возьмёт новый сценарий и оставит "
    u"данные пользователя (метка переустановки %2).";
inline constexpr char16_t install_would_set_marker[] =
    u"Настройки пользователя (%1) останутся: будет поставлена метка переустановки %2, и при следующем запуске "
    u"программа возьмёт новый сценарий и оставит данные пользователя.";
inline constexpr char16_t install_first[] =
    u"Настроек пользователя ещё нет: при первом запуске программа попросит задать пин-код.";
inline constexpr char16_t install_dry_run[] = u"Пробный запуск: ничего не изменено.";
inline constexpr char16_t install_unconfirmed[] =
    u"Файл %1 записан, но система не подтвердила запись каталога на диск.";
// Refusals; the tool puts the file's name in front. Nothing was changed.
inline constexpr char16_t install_refused[] = u"сценарий не установлен, ничего не изменено";
inline constexpr char16_t install_not_a_script[] =
    u"это файл настроек пользователя (он зашифрован пин-кодом), а не сценарий банка";
inline constexpr char16_t install_cannot_write[] = u"не удаётся записать %1: %2";

// ---- ostrevan-modem, the SMS layer without the program ------------------------------------------------

// The usage of each subcommand: its syntax lines stand as the command line takes them.
inline constexpr char16_t modem_usage_head[] = u"Использование: ostrevan-modem КОМАНДА [АРГУМЕНТЫ...]\n";
inline constexpr char16_t modem_usage_tail[] =
    u"  ostrevan-modem --help | --version\n"
    u"\n"
    u"Команды: pdu - кодировать и разбирать PDU; sim - имитатор модема и банка на порту TCP или псевдотерминале;\n"
    u"send - отправить одно СМС через модем; listen - показывать входящие СМС; queue - поставить сообщение банка\n"
    u"в очередь реестра программы.\n"
    u"\n"
    u"Код выхода: 0 успех, 1 ошибка, 2 неверные аргументы.\n";
inline constexpr char16_t modem_unknown_command[] = u"ostrevan-modem: неизвестная команда %1";
inline constexpr char16_t modem_usage_word[] = u"Использование: ";
inline constexpr char16_t modem_encode_options[] =
    u"  --port N   порт приложения, десятичный или шестнадцатеричный с 0x (порт банка 0x2201)\n"
    u"  --class N  класс сообщения 0..3 или none; без него 1\n";
inline constexpr char16_t modem_bad_port[] = u"ostrevan-modem: неверный порт %1";
inline constexpr char16_t modem_bad_class[] = u"ostrevan-modem: неверный класс %1";
inline constexpr char16_t modem_sim_options[] =
    u"  --listen tcp:HOST:PORT  служить на порту TCP (по умолчанию tcp:127.0.0.1:7201)\n"
    u"  --pty PATH              служить на псевдотерминале, доступном по пути PATH\n"
    u"  --bank-number N         номер банка (по умолчанию +79001234567)\n"
    u"  --bank-rules FILE       правила банка вместо встроенных\n";
// %1 the address served, %2 the bank's number.
inline constexpr char16_t modem_sim_ready[] = u"имитатор модема на %1, банк на номере %2";
inline constexpr char16_t modem_link_options[] =
    u"  URI: sim | serial:DEVICE[:BAUD] | tcp:HOST:PORT | mm[:MODEM] (ModemManager; MODEM - идентификатор или путь)\n"
    u"  --ledger FILE  учёт уже показанных сообщений (по умолчанию $XDG_STATE_HOME/ostrevan/ostrevan-modem.ledger)\n"
    u"  --take         удалять из модема каждое показанное сообщение; без него модем хранит все\n";
inline constexpr char16_t modem_sent[] = u"отправлено";
inline constexpr char16_t modem_not_sent[] = u"ostrevan-modem send: не отправлено";
inline constexpr char16_t modem_queue_options[] =
    u"  --registry DIR  каталог реестра (иначе OSTREVAN_REGISTRY, иначе $XDG_STATE_HOME/ostrevan/registry)\n"
    u"  TEXT            сообщение банка с его меткой (APP_PORT=2201), как его шлёт банк\n";
inline constexpr char16_t modem_queue_too_long[] =
    u"ostrevan-modem queue: текст длиннее, чем может быть сообщение в очереди";
inline constexpr char16_t modem_queue_cannot_write[] = u"ostrevan-modem queue: не удаётся записать в %1";

// ---- scenario runner (ostrevan --scenario) ---------------------------------------------------------

// Why a line of a scenario file is refused; the reader puts "FILE:LINE: " in front.
inline constexpr char16_t scenario_missing[] = u"не указано: %1";
inline constexpr char16_t scenario_what_step[] = u"шаг";
inline constexpr char16_t scenario_what_pin[] = u"пин-код";
inline constexpr char16_t scenario_what_menu_path[] = u"путь по меню";
inline constexpr char16_t scenario_what_expectation[] = u"что ожидается";
inline constexpr char16_t scenario_what_text[] = u"текст";
inline constexpr char16_t scenario_what_caption[] = u"заголовок";
inline constexpr char16_t scenario_what_entry[] = u"пункт";
inline constexpr char16_t scenario_what_on_off[] = u"on или off";
inline constexpr char16_t scenario_what_soft_key[] = u"клавиша";
inline constexpr char16_t scenario_what_answer[] = u"ответ";
inline constexpr char16_t scenario_what_bank_message[] = u"сообщение банка";
inline constexpr char16_t scenario_what_wait[] = u"чего ждать";
inline constexpr char16_t scenario_what_modem_fault[] = u"сбой модема";
inline constexpr char16_t scenario_what_name[] = u"имя";
// %1 lists the words allowed, %2 is the word written.
inline constexpr char16_t scenario_not_one_of[] = u"ожидалось %1, а написано %2";
inline constexpr char16_t scenario_text_after_step[] = u"лишний текст после шага: %1";
inline constexpr char16_t scenario_quote_runs_into_word[] = u"за закрывающей кавычкой сразу идёт слово";
inline constexpr char16_t scenario_unknown_escape[] = u"неизвестное экранирование \\%1";
inline constexpr char16_t scenario_unterminated_quote[] = u"текст в кавычках не закрыт";
inline constexpr char16_t scenario_empty_menu_entry[] = u"пустой пункт в пути по меню";
inline constexpr char16_t scenario_menu_too_deep[] = u"путь по меню длиннее %1 пунктов";
inline constexpr char16_t scenario_pin_not_digits[] = u"пин-код состоит только из цифр: %1";
inline constexpr char16_t scenario_bad_screenshot_name[] =
    u"имя снимка состоит из латинских букв, цифр и знаков '-', '_', '.': %1";
inline constexpr char16_t scenario_unknown_step[] = u"неизвестный шаг %1";
inline constexpr char16_t scenario_too_many_lines[] = u"больше %1 строк";
inline constexpr char16_t scenario_line_too_long[] = u"строка длиннее %1 байт";
inline constexpr char16_t scenario_not_utf8[] = u"строка не является текстом в UTF-8";
// The file as a whole; %1 is its name.
inline constexpr char16_t scenario_cannot_read[] = u"%1: не удаётся прочитать файл";
inline constexpr char16_t scenario_too_large[] = u"%1: файл больше %2 байт";

// The transcript: what the user saw, screen by screen. The steps themselves are written as the file has them.
inline constexpr char16_t scenario_started[] = u"== запуск";
inline constexpr char16_t scenario_all_held[] = u"== конец: все ожидания сбылись";
inline constexpr char16_t scenario_screen[] = u"== %1";
inline constexpr char16_t scenario_soft_keys[] = u"клавиши: %1";
// %1 is the number, %2 the whole text.
inline constexpr char16_t scenario_sms_out[] = u">> SMS на %1: \"%2\"";
inline constexpr char16_t scenario_sms_not_taken[] = u" (не отправлено)";
inline constexpr char16_t scenario_sms_unknown[] = u" (модем не подтвердил: возможно, отправлено)";
inline constexpr char16_t scenario_sms_in[] = u"<< SMS от банка: \"%1\"";
// What is on the screen, in the transcript and in the failures.
inline constexpr char16_t scenario_nothing[] = u"ничего";
inline constexpr char16_t scenario_menu[] = u"меню %1";
inline constexpr char16_t scenario_alert[] = u"сообщение %1";
inline constexpr char16_t scenario_form[] = u"форма %1";
inline constexpr char16_t scenario_sending_dialog[] = u"окно отправки";
inline constexpr char16_t scenario_main_window[] = u"главное окно";

// A step that failed; the runner puts "FILE:LINE: " in front. %1 is what the step waited for, %2 what was seen.
inline constexpr char16_t scenario_expected_seen[] = u"ожидалось: %1; на экране: %2";
inline constexpr char16_t scenario_pin_dialog[] = u"окно пин-кода";
inline constexpr char16_t scenario_form_with[] = u"форма, где есть %1";
inline constexpr char16_t scenario_text_on_form[] = u"текст %1 на форме, а на ней: %2";
inline constexpr char16_t scenario_alert_to_answer[] = u"сообщение с кнопками";
inline constexpr char16_t scenario_a_menu[] = u"меню";
inline constexpr char16_t scenario_menu_entry[] = u"пункт меню %1";
inline constexpr char16_t scenario_enabled_menu_entry[] = u"доступный пункт меню %1";
inline constexpr char16_t scenario_soft_key[] = u"клавиша %1";
inline constexpr char16_t scenario_options_menu[] = u"меню клавиши \"Опции\"";
inline constexpr char16_t scenario_soft_key_or_option[] = u"клавиша или пункт меню \"Опции\" %1";
inline constexpr char16_t scenario_form_item[] = u"элемент формы %1";
inline constexpr char16_t scenario_sms_differs[] = u"ожидалось: SMS \"%1\"; ушло: SMS \"%2\"";
inline constexpr char16_t scenario_no_sms[] = u"ожидалось: SMS \"%1\", но SMS не ушло; на экране: %2";
inline constexpr char16_t scenario_no_bank_message[] = u"ожидалось: сообщение банка, но оно не пришло; на экране: %1";
inline constexpr char16_t scenario_no_answer_button[] = u"у сообщения нет кнопки %1: %2";
inline constexpr char16_t scenario_entry_out_of_reach[] = u"до пункта меню %1 не дойти клавишами";
inline constexpr char16_t scenario_no_submenu[] = u"у пункта меню %1 нет подменю";
inline constexpr char16_t scenario_no_input_field[] = u"под %1 нет поля ввода";
inline constexpr char16_t scenario_no_check_box[] = u"под %1 нет флажка %2";
inline constexpr char16_t scenario_entry_not_offered[] = u"в %1 нет пункта %2";
inline constexpr char16_t scenario_entry_not_offered_only[] = u"в %1 нет пункта %2, есть только: %3";
inline constexpr char16_t scenario_entry_still_offered[] = u"в %1 всё ещё есть пункт %2";
inline constexpr char16_t scenario_no_list[] = u"под %1 нет списка";
inline constexpr char16_t scenario_pick_not_taken[] = u"выбор не состоялся: в %1 ожидался пункт %2, а показан %3";
inline constexpr char16_t scenario_screenshot_failed[] = u"не удаётся записать снимок экрана в %1";
inline constexpr char16_t scenario_needs_sim_modem[] = u"этому шагу нужен имитатор модема (без --modem)";
inline constexpr char16_t scenario_already_running[] = u"уже запущена другая копия программы";
inline constexpr char16_t scenario_ended_early[] = u"программа завершилась до этого шага; на экране: %1";

// ---- script model: selections, buttons and the request ------------------------------------------

// The caption of a selection until a "Caption" replaces it.
inline constexpr char16_t select_caption[] = u"Выбор:";
// The lines of a card selection that add a card and that stand for all cards; compared with what the user picked.
inline constexpr char16_t add_another[] = u"Добавить еще...";
inline constexpr char16_t all_cards[] = u"По всем картам";
// Soft keys until a "Caption" replaces them.
inline constexpr char16_t button_ok[] = u"OK";
inline constexpr char16_t button_help[] = u"Help";
inline constexpr char16_t button_delete[] = u"Удалить";
inline constexpr char16_t fav_add_caption[] = u"Добавить в Избранное";
inline constexpr char16_t fav_remove_caption[] = u"Удалить из Избранного";
// The questions of that key when the script gives none.
inline constexpr char16_t fav_add_question[] = u"Добавить в избранное?";
inline constexpr char16_t fav_remove_question[] = u"Удалить из избранного?";
// Captions of the questions before a card is deleted and a favourite added or removed.
inline constexpr char16_t delete_caption[] = u"Удаление";
inline constexpr char16_t confirm_caption[] = u"Подтверждение.";
// Sending the request.
inline constexpr char16_t send_succeeded[] = u"Сообщение отправлено успешно";
inline constexpr char16_t send_retry_question[] = u"Не удалось отправить сообщение, повторить?";
// The modem took the request but gave no definite answer: it may have reached the bank. Never a failure, never a
// plain retry; a repeat is a choice of its own, No by default.
inline constexpr char16_t send_outcome_unknown[] =
    u"Запрос, возможно, дошёл до банка: модем не подтвердил отправку. Дождитесь ответа банка: он покажет, принят "
    u"ли запрос. Повторная отправка может повторить платёж.";
inline constexpr char16_t send_repeat_question[] =
    u"Всё равно отправить запрос ещё раз? Если первый запрос дошёл до банка, платёж будет выполнен повторно.";
// A request or a payment confirmation could not go out.
inline constexpr char16_t send_failed_check_bank_number[] =
    u"Не удалось отправить сообщение проверьте правильность ввода номера банка.";
inline constexpr char16_t send_empty_request[] = u"Текст запроса пуст, сообщение не отправлено.";

}  // namespace texts

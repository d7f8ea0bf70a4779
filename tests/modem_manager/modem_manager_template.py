'''A ModemManager stand-in for python3-dbusmock: one modem with Messaging, its Sms objects, and test controls.

Parameters (JSON, all optional):
  modem       the modem's number in its object path (ModemManager numbers anew when it restarts); default 0
  imei        its EquipmentIdentifier; default "490154203237518"
  state       MMModemState; default 8 (registered)
  lock        MMModemLock; default 1 (none)
  messages    [[number, text, timestamp], ...] received messages already stored at start
  log         a file to which every Send appends one line: "SEND <class> <number> <text>"
  bank        true: a request sent is answered as the demo bank answers it
  send        how Send behaves at first (see SetSendMode)

Test controls on the main object (interface org.freedesktop.DBus.Mock):
  SetSendMode(s): "ok"; "fail:ERROR.NAME" (refused, nothing sent); "hang:SECONDS" (sent, answered that late);
                  "vanish" (sent, then the service leaves the bus without answering)
  Receive(s number, s text, s timestamp, b whole) -> o: a message arrives (whole: RECEIVED, else RECEIVING)
  Complete(o path, s text): a RECEIVING message gets its last part and becomes RECEIVED with the joined text
  SetModemState(i state, u lock)
'''

import os
import re
import time

import dbus
import dbusmock
from gi.repository import GLib

BUS_NAME = 'org.freedesktop.ModemManager1'
MAIN_OBJ = '/org/freedesktop/ModemManager1'
MAIN_IFACE = 'org.freedesktop.ModemManager1'
SYSTEM_BUS = True
IS_OBJECT_MANAGER = True

MODEM_IFACE = 'org.freedesktop.ModemManager1.Modem'
MESSAGING_IFACE = 'org.freedesktop.ModemManager1.Modem.Messaging'
SMS_IFACE = 'org.freedesktop.ModemManager1.Sms'

SMS_STATE_STORED, SMS_STATE_RECEIVING, SMS_STATE_RECEIVED, SMS_STATE_SENT = 1, 2, 3, 5
PDU_DELIVER, PDU_SUBMIT = 1, 2
ALLOWED_CREATE_KEYS = {'number', 'text', 'data', 'smsc', 'validity', 'class', 'delivery-report-request'}


def bank_answer(request):
    '''The demo bank's answer to a request as it leaves the program: "{port}TEXT;;ver=..."'''
    text = re.sub(r'^\{[0-9]+\}', '', request).split(';;')[0].strip()
    if text.startswith('CFM'):
        return 'Платёж подтверждён. Спасибо! APP_PORT=2201'
    if text.startswith('PAY'):
        return 'Платёж принят. Для подтверждения отправьте код CFM123456 APP_PORT=2201'
    if text.startswith('BAL'):
        return 'Баланс карты: 12 345,67 руб. Доступно: 12 000,00 руб. APP_PORT=2201'
    return 'Неизвестный запрос. Проверьте правильность ввода. APP_PORT=2201'


def load(mock, parameters):
    mock.mm = {
        'modem': MAIN_OBJ + '/Modem/%d' % parameters.get('modem', 0),
        'next_sms': parameters.get('modem', 0) * 1000,
        'sms': [],
        'send': parameters.get('send', 'ok'),
        'log': parameters.get('log', ''),
        'bank': parameters.get('bank', False),
    }
    mock.mm_add_sms = lambda *a: add_sms(mock, *a)
    mock.mm_create = lambda props: create(mock, props)
    mock.mm_delete = lambda path: delete(mock, path)
    mock.mm_send = lambda path: send(mock, path)
    main = 'objects["%s"]' % MAIN_OBJ
    modem = mock.mm['modem']
    mock.AddObject(modem, MODEM_IFACE, {
        'State': dbus.Int32(parameters.get('state', 8)),
        'UnlockRequired': dbus.UInt32(parameters.get('lock', 1)),
        'StateFailedReason': dbus.UInt32(0),
        'EquipmentIdentifier': parameters.get('imei', '490154203237518'),
    }, [])
    messaging = dbusmock.get_object(modem)
    messaging.AddProperties(MESSAGING_IFACE, {'Messages': dbus.Array([], signature='o'),
                                              'SupportedStorages': dbus.Array([dbus.UInt32(1), dbus.UInt32(2)]),
                                              'DefaultStorage': dbus.UInt32(2)})
    messaging.AddMethods(MESSAGING_IFACE, [
        ('List', '', 'ao', 'ret = dbus.Array(%s.mm["sms"], signature="o")' % main),
        ('Create', 'a{sv}', 'o', 'ret = %s.mm_create(args[0])' % main),
        ('Delete', 'o', '', '%s.mm_delete(args[0])' % main),
    ])
    for number, text, timestamp in parameters.get('messages', []):
        add_sms(mock, number, text, timestamp, True, False)
    # The modem's interfaces are all there before anybody is told of it.
    mock.EmitSignal('org.freedesktop.DBus.ObjectManager', 'InterfacesAdded', 'oa{sa{sv}}',
                    [dbus.ObjectPath(modem), dbusmock.get_object(modem).props])


def sms_path(mock):
    mock.mm['next_sms'] += 1
    return MAIN_OBJ + '/SMS/%d' % mock.mm['next_sms']


def add_sms(mock, number, text, timestamp, whole, announce=True):
    path = sms_path(mock)
    mock.AddObject(path, SMS_IFACE, {
        'State': dbus.UInt32(SMS_STATE_RECEIVED if whole else SMS_STATE_RECEIVING),
        'PduType': dbus.UInt32(PDU_DELIVER),
        'Number': number,
        'Text': text,
        'Timestamp': timestamp,
        'Storage': dbus.UInt32(2),
        'Class': dbus.Int32(-1),
        'MessageReference': dbus.UInt32(0),
    }, [])
    mock.mm['sms'].append(path)
    if announce:
        dbusmock.get_object(mock.mm['modem']).EmitSignal(MESSAGING_IFACE, 'Added', 'ob', [dbus.ObjectPath(path), True])
    return dbus.ObjectPath(path)


def create(mock, props):
    for key in props:
        if key not in ALLOWED_CREATE_KEYS:
            raise dbus.exceptions.DBusException('unknown key ' + key,
                                                name='org.freedesktop.ModemManager1.Error.Core.InvalidArgs')
    path = sms_path(mock)
    main = 'objects["%s"]' % MAIN_OBJ
    mock.AddObject(path, SMS_IFACE, {
        'State': dbus.UInt32(SMS_STATE_STORED),
        'PduType': dbus.UInt32(PDU_SUBMIT),
        'Number': props.get('number', ''),
        'Text': props.get('text', ''),
        'Timestamp': '',
        'Storage': dbus.UInt32(0),
        'Class': dbus.Int32(props.get('class', -1)),
        'MessageReference': dbus.UInt32(0),
    }, [('Send', '', '', '%s.mm_send(self.__dbus_object_path__)' % main)])
    mock.mm['sms'].append(path)
    return dbus.ObjectPath(path)


def delete(mock, path):
    if path not in mock.mm['sms']:
        raise dbus.exceptions.DBusException('no such message', name='org.freedesktop.ModemManager1.Error.Core.NotFound')
    mock.mm['sms'].remove(path)
    mock.RemoveObject(path)
    dbusmock.get_object(mock.mm['modem']).EmitSignal(MESSAGING_IFACE, 'Deleted', 'o', [dbus.ObjectPath(path)])


def send(mock, path):
    mode = mock.mm['send']
    if mode.startswith('fail:'):
        raise dbus.exceptions.DBusException('refused', name=mode[5:])
    sms = dbusmock.get_object(path)
    props = sms.props[SMS_IFACE]
    if mock.mm['log']:
        with open(mock.mm['log'], 'a', encoding='UTF-8') as log:
            log.write('SEND %d %s %s\n' % (props['Class'], props['Number'], props['Text']))
    if mode == 'vanish':
        os._exit(0)
    if mode.startswith('hang:'):
        time.sleep(float(mode[5:]))
    sms.UpdateProperties(SMS_IFACE, {'State': dbus.UInt32(SMS_STATE_SENT), 'MessageReference': dbus.UInt32(7)})
    if mock.mm['bank']:
        answer = bank_answer(str(props['Text']))
        number = str(props['Number'])
        GLib.timeout_add(50, lambda: add_sms(mock, number, answer, time.strftime('%Y-%m-%dT%H:%M:%S+03:00'), True)
                         and False)


@dbus.service.method(dbusmock.MOCK_IFACE, in_signature='s', out_signature='')
def SetSendMode(self, mode):
    self.mm['send'] = mode


@dbus.service.method(dbusmock.MOCK_IFACE, in_signature='sssb', out_signature='o')
def Receive(self, number, text, timestamp, whole):
    return add_sms(self, number, text, timestamp, whole)


@dbus.service.method(dbusmock.MOCK_IFACE, in_signature='os', out_signature='')
def Complete(self, path, text):
    dbusmock.get_object(path).UpdateProperties(SMS_IFACE, {'Text': text, 'State': dbus.UInt32(SMS_STATE_RECEIVED)})


@dbus.service.method(dbusmock.MOCK_IFACE, in_signature='iu', out_signature='')
def SetModemState(self, state, lock):
    dbusmock.get_object(self.mm['modem']).UpdateProperties(MODEM_IFACE, {'State': dbus.Int32(state),
                                                                         'UnlockRequired': dbus.UInt32(lock)})

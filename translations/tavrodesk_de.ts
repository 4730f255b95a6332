<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>AboutDialog</name>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>TavroDesk</source>
        <translation>TavroDesk</translation>
    </message>
    <message>
        <source>This application uses the &lt;a href=&quot;https://www.qt.io/&quot;&gt;Qt Library&lt;/a&gt;, distributed under the LGPL 2.1 licence.</source>
        <translation>Dieses Programm verwendet die &lt;a href=&quot;https://www.qt.io/&quot;&gt;Qt-Bibliothek&lt;/a&gt;, die unter der LGPL 2.1 verbreitet wird.</translation>
    </message>
    <message>
        <source>TavroDesk %1</source>
        <translation>TavroDesk %1</translation>
    </message>
    <message>
        <source>Built on %1</source>
        <translation>Erstellt am %1</translation>
    </message>
    <message>
        <source>Data Folder:
%1
INI File:
%2
SQLite File:
%3
Debug Log:
%4</source>
        <translation>Datenordner:
%1
INI-Datei:
%2
SQLite-Datei:
%3
Debug-Protokoll:
%4</translation>
    </message>
    <message>
        <source>Check for &amp;Updates...</source>
        <translation>Nach &amp;Updates suchen...</translation>
    </message>
    <message>
        <source>Window source: %1
Time in TavroDesk&apos;s own windows is not recorded; idle time in front of them still becomes away time.</source>
        <translation>Fensterquelle: %1
Zeit in den eigenen Fenstern von TavroDesk wird nicht aufgezeichnet; Leerlauf vor ihnen wird dennoch zu Abwesenheit.</translation>
    </message>
</context>
<context>
    <name>AddRuleDialog</name>
    <message>
        <source>New Rule</source>
        <translation>Neue Regel</translation>
    </message>
    <message>
        <source>Application and Title matching</source>
        <translation>Anwendung und Titel</translation>
    </message>
    <message>
        <source>Rule active</source>
        <translation>Regel aktiv</translation>
    </message>
    <message>
        <source>onwards</source>
        <translation>fortlaufend</translation>
    </message>
    <message>
        <source>until</source>
        <translation>bis</translation>
    </message>
    <message>
        <source>Link with</source>
        <translation>Verknüpfen mit</translation>
    </message>
    <message>
        <source>match all words</source>
        <translation>alle Wörter enthalten</translation>
    </message>
    <message>
        <source>match any word</source>
        <translation>eines der Wörter enthalten</translation>
    </message>
    <message>
        <source>match exact phrase</source>
        <translation>genau diesen Text enthalten</translation>
    </message>
    <message>
        <source>match regexp</source>
        <translation>regulärem Ausdruck entsprechen</translation>
    </message>
    <message>
        <source>Update Rule</source>
        <translation>Regel ändern</translation>
    </message>
    <message>
        <source>Validation Error</source>
        <translation>Ungültige Eingabe</translation>
    </message>
    <message>
        <source>Select at least one application.</source>
        <translation>Wählen Sie mindestens eine Anwendung aus.</translation>
    </message>
    <message>
        <source>Invalid regular expression: %1</source>
        <translation>Ungültiger regulärer Ausdruck: %1</translation>
    </message>
    <message>
        <source>Rule &amp;Name:</source>
        <translation>Regel&amp;name:</translation>
    </message>
    <message>
        <source>A&amp;vailable Applications:</source>
        <translation>&amp;Verfügbare Anwendungen:</translation>
    </message>
    <message>
        <source>&amp;Selected Applications:</source>
        <translation>Ausge&amp;wählte Anwendungen:</translation>
    </message>
    <message>
        <source>Available Applications</source>
        <translation>Verfügbare Anwendungen</translation>
    </message>
    <message>
        <source>Add to the selected applications</source>
        <translation>Zu den ausgewählten Anwendungen hinzufügen</translation>
    </message>
    <message>
        <source>Remove from the selected applications</source>
        <translation>Aus den ausgewählten Anwendungen entfernen</translation>
    </message>
    <message>
        <source>Selected Applications</source>
        <translation>Ausgewählte Anwendungen</translation>
    </message>
    <message>
        <source>Window &amp;title:</source>
        <translation>Fenster&amp;titel:</translation>
    </message>
    <message>
        <source>How the window title matches</source>
        <translation>Wie der Fenstertitel passen muss</translation>
    </message>
    <message>
        <source>&amp;always</source>
        <translation>&amp;immer</translation>
    </message>
    <message>
        <source>&amp;from</source>
        <translation>a&amp;b</translation>
    </message>
    <message>
        <source>First day</source>
        <translation>Erster Tag</translation>
    </message>
    <message>
        <source>f&amp;rom</source>
        <translation>v&amp;on</translation>
    </message>
    <message>
        <source>First day of the range</source>
        <translation>Erster Tag des Zeitraums</translation>
    </message>
    <message>
        <source>Last day of the range</source>
        <translation>Letzter Tag des Zeitraums</translation>
    </message>
    <message>
        <source>&amp;until</source>
        <translation>bi&amp;s</translation>
    </message>
    <message>
        <source>Last day</source>
        <translation>Letzter Tag</translation>
    </message>
    <message>
        <source>&amp;Project:</source>
        <translation>&amp;Projekt:</translation>
    </message>
    <message>
        <source>Tas&amp;k:</source>
        <translation>Auf&amp;gabe:</translation>
    </message>
    <message>
        <source>Previe&amp;w</source>
        <translation>Vorscha&amp;u</translation>
    </message>
</context>
<context>
    <name>AddTaskDialog</name>
    <message>
        <source>Add Task</source>
        <translation>Aufgabe hinzufügen</translation>
    </message>
    <message>
        <source>Task Name</source>
        <translation>Name der Aufgabe</translation>
    </message>
    <message>
        <source>&amp;Project</source>
        <translation>&amp;Projekt</translation>
    </message>
    <message>
        <source>Task &amp;List</source>
        <translation>Aufgaben&amp;liste</translation>
    </message>
    <message>
        <source>Task &amp;Name</source>
        <translation>&amp;Name der Aufgabe</translation>
    </message>
    <message>
        <source>Task &amp;Description</source>
        <translation>&amp;Beschreibung der Aufgabe</translation>
    </message>
    <message>
        <source>&amp;Billable</source>
        <translation>Ab&amp;rechenbar</translation>
    </message>
</context>
<context>
    <name>AddTaskListDialog</name>
    <message>
        <source>Add Task List</source>
        <translation>Aufgabenliste hinzufügen</translation>
    </message>
    <message>
        <source>Task List Name</source>
        <translation>Name der Aufgabenliste</translation>
    </message>
    <message>
        <source>&amp;Project</source>
        <translation>&amp;Projekt</translation>
    </message>
    <message>
        <source>Task List &amp;Name</source>
        <translation>&amp;Name der Aufgabenliste</translation>
    </message>
</context>
<context>
    <name>ApiReply</name>
    <message>
        <source>The reply is larger than %1 MB.</source>
        <translation>Die Antwort ist größer als %1 MB.</translation>
    </message>
    <message>
        <source>The reply carries a document type declaration.</source>
        <translation>Die Antwort enthält eine Dokumenttyp-Deklaration.</translation>
    </message>
    <message>
        <source>The reply refers to an entity.</source>
        <translation>Die Antwort verweist auf eine Entität.</translation>
    </message>
    <message>
        <source>The reply nests deeper than %1 levels.</source>
        <translation>Die Antwort ist tiefer als %1 Ebenen verschachtelt.</translation>
    </message>
    <message>
        <source>The reply is empty.</source>
        <translation>Die Antwort ist leer.</translation>
    </message>
</context>
<context>
    <name>ApiRequest</name>
    <message>
        <source>Tavro API Error</source>
        <translation>Fehler der Tavro-Schnittstelle</translation>
    </message>
    <message>
        <source>Code: %1
Message: %2</source>
        <translation>Code: %1
Meldung: %2</translation>
    </message>
    <message>
        <source>No error condition.</source>
        <translation>Kein Fehler.</translation>
    </message>
    <message>
        <source>The remote server refused the connection.</source>
        <translation>Der Server hat die Verbindung abgelehnt.</translation>
    </message>
    <message>
        <source>The remote server closed the connection prematurely, before the entire reply was received and processed.</source>
        <translation>Der Server hat die Verbindung vorzeitig geschlossen, bevor die ganze Antwort empfangen und verarbeitet war.</translation>
    </message>
    <message>
        <source>The remote host name was not found.</source>
        <translation>Der Name des Servers wurde nicht gefunden.</translation>
    </message>
    <message>
        <source>The connection to the remote server timed out.</source>
        <translation>Die Verbindung zum Server hat das Zeitlimit überschritten.</translation>
    </message>
    <message>
        <source>The operation was canceled via calls to abort() or close() before it was finished.</source>
        <translation>Der Vorgang wurde durch abort() oder close() abgebrochen, bevor er beendet war.</translation>
    </message>
    <message>
        <source>The SSL/TLS handshake failed and the encrypted channel could not be established.</source>
        <translation>Der SSL/TLS-Handshake ist gescheitert; die verschlüsselte Verbindung konnte nicht aufgebaut werden.</translation>
    </message>
    <message>
        <source>An unknown network-related error was detected.</source>
        <translation>Ein unbekannter Netzwerkfehler ist aufgetreten.</translation>
    </message>
    <message>
        <source>The connection to the proxy server was refused.</source>
        <translation>Der Proxyserver hat die Verbindung abgelehnt.</translation>
    </message>
    <message>
        <source>The proxy server closed the connection prematurely, before the entire reply was received and processed.</source>
        <translation>Der Proxyserver hat die Verbindung vorzeitig geschlossen, bevor die ganze Antwort empfangen und verarbeitet war.</translation>
    </message>
    <message>
        <source>The proxy host name was not found.</source>
        <translation>Der Name des Proxyservers wurde nicht gefunden.</translation>
    </message>
    <message>
        <source>The connection to the proxy timed out or the proxy did not reply in time to the request sent.</source>
        <translation>Die Verbindung zum Proxy hat das Zeitlimit überschritten, oder der Proxy hat nicht rechtzeitig geantwortet.</translation>
    </message>
    <message>
        <source>The proxy requires authentication in order to honour the request but did not accept any credentials offered.</source>
        <translation>Der Proxy verlangt eine Anmeldung, hat aber keine der angebotenen Zugangsdaten angenommen.</translation>
    </message>
    <message>
        <source>An unknown proxy-related error was detected.</source>
        <translation>Ein unbekannter Proxyfehler ist aufgetreten.</translation>
    </message>
    <message>
        <source>The access to the remote content was denied.</source>
        <translation>Der Zugriff auf den Inhalt wurde verweigert.</translation>
    </message>
    <message>
        <source>The operation requested on the remote content is not permitted.</source>
        <translation>Der angeforderte Vorgang ist für diesen Inhalt nicht erlaubt.</translation>
    </message>
    <message>
        <source>The remote content was not found at the server.</source>
        <translation>Der Inhalt wurde auf dem Server nicht gefunden.</translation>
    </message>
    <message>
        <source>The remote server requires authentication to serve the content but the credentials provided were not accepted.</source>
        <translation>Der Server verlangt eine Anmeldung für den Inhalt, hat die angegebenen Zugangsdaten aber nicht angenommen.</translation>
    </message>
    <message>
        <source>The request needed to be sent again, but this failed for example because the upload data could not be read a second time.</source>
        <translation>Die Anfrage musste erneut gesendet werden, was scheiterte, etwa weil die zu sendenden Daten nicht ein zweites Mal gelesen werden konnten.</translation>
    </message>
    <message>
        <source>An unknown error related to the remote content was detected.</source>
        <translation>Ein unbekannter Fehler beim Inhalt ist aufgetreten.</translation>
    </message>
    <message>
        <source>The Network Access API cannot honor the request because the protocol is not known.</source>
        <translation>Die Anfrage kann nicht ausgeführt werden, weil das Protokoll unbekannt ist.</translation>
    </message>
    <message>
        <source>The requested operation is invalid for this protocol.</source>
        <translation>Der angeforderte Vorgang ist für dieses Protokoll ungültig.</translation>
    </message>
    <message>
        <source>A breakdown in protocol was detected (parsing error, invalid or unexpected responses, etc.).</source>
        <translation>Ein Protokollfehler ist aufgetreten (Lesefehler, ungültige oder unerwartete Antworten usw.).</translation>
    </message>
    <message>
        <source>Network error</source>
        <translation>Netzwerkfehler</translation>
    </message>
    <message>
        <source>The reply of the Tavro service is larger than %1 MB and was not read.</source>
        <translation>Die Antwort des Tavro-Dienstes ist größer als %1 MB und wurde nicht gelesen.</translation>
    </message>
    <message>
        <source>The Tavro service redirected the request to %1; it was not followed.</source>
        <translation>Der Tavro-Dienst hat die Anfrage nach %1 umgeleitet; der Umleitung wurde nicht gefolgt.</translation>
    </message>
    <message>
        <source> (through the proxy %1:%2)</source>
        <translation> (über den Proxy %1:%2)</translation>
    </message>
    <message>
        <source>Connection Timeout

The Tavro service did not answer in time.</source>
        <translation>Zeitüberschreitung

Der Tavro-Dienst hat nicht rechtzeitig geantwortet.</translation>
    </message>
</context>
<context>
    <name>AppLook</name>
    <message>
        <source>Away Time</source>
        <translation>Abwesenheit</translation>
    </message>
</context>
<context>
    <name>Appcast</name>
    <message>
        <source>The feed nests deeper than %1 levels.</source>
        <translation>Der Feed ist tiefer als %1 Ebenen verschachtelt.</translation>
    </message>
    <message>
        <source>The feed is larger than %1 KB.</source>
        <translation>Der Feed ist größer als %1 KB.</translation>
    </message>
    <message>
        <source>The feed carries a document type declaration.</source>
        <translation>Der Feed enthält eine Dokumenttyp-Deklaration.</translation>
    </message>
    <message>
        <source>The feed is empty.</source>
        <translation>Der Feed ist leer.</translation>
    </message>
    <message>
        <source>The feed is not an RSS document.</source>
        <translation>Der Feed ist kein RSS-Dokument.</translation>
    </message>
    <message>
        <source>The feed has no channel.</source>
        <translation>Der Feed hat keinen Kanal.</translation>
    </message>
</context>
<context>
    <name>ApplicationPathDialog</name>
    <message>
        <source>Add Application</source>
        <translation>Anwendung hinzufügen</translation>
    </message>
    <message>
        <source>Enter path here</source>
        <translation>Pfad hier eingeben</translation>
    </message>
    <message>
        <source>Application &amp;Path</source>
        <translation>Anwendungs&amp;pfad</translation>
    </message>
    <message>
        <source>&amp;Browse...</source>
        <translation>&amp;Durchsuchen...</translation>
    </message>
    <message>
        <source>Choose Application</source>
        <translation>Anwendung wählen</translation>
    </message>
</context>
<context>
    <name>ApplyRulesForDateRangeDialog</name>
    <message>
        <source>Apply Rules for Date Range</source>
        <translation>Regeln für Zeitraum anwenden</translation>
    </message>
    <message>
        <source>Select a date range to apply the rules</source>
        <translation>Wählen Sie den Zeitraum, für den die Regeln gelten sollen</translation>
    </message>
    <message>
        <source>&amp;From</source>
        <translation>&amp;Von</translation>
    </message>
    <message>
        <source>&amp;to</source>
        <translation>&amp;bis</translation>
    </message>
    <message>
        <source>or &amp;select a preset</source>
        <translation>oder eine Vor&amp;gabe wählen</translation>
    </message>
</context>
<context>
    <name>AutostartEntry</name>
    <message>
        <source>Could not remove %1.</source>
        <translation>%1 konnte nicht entfernt werden.</translation>
    </message>
    <message>
        <source>Could not create the folder %1.</source>
        <translation>Der Ordner %1 konnte nicht angelegt werden.</translation>
    </message>
    <message>
        <source>Could not write %1: %2</source>
        <translation>%1 konnte nicht geschrieben werden: %2</translation>
    </message>
</context>
<context>
    <name>AwayEditDialog</name>
    <message>
        <source>Away Time</source>
        <translation>Abwesenheit</translation>
    </message>
    <message>
        <source>Away time between</source>
        <translation>Abwesend zwischen</translation>
    </message>
    <message>
        <source>and</source>
        <translation>und</translation>
    </message>
    <message>
        <source>Duration:</source>
        <translation>Dauer:</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Beschreibung</translation>
    </message>
    <message>
        <source>On the phone</source>
        <translation>Am Telefon</translation>
    </message>
    <message>
        <source>Meeting</source>
        <translation>Besprechung</translation>
    </message>
    <message>
        <source>Lunch</source>
        <translation>Mittagspause</translation>
    </message>
    <message>
        <source>or use a description from the &amp;list</source>
        <translation>oder eine Beschreibung aus der &amp;Liste verwenden</translation>
    </message>
    <message>
        <source>Descriptions to choose from</source>
        <translation>Beschreibungen zur Auswahl</translation>
    </message>
</context>
<context>
    <name>BookingService</name>
    <message>
        <source>some of the entries no longer exist</source>
        <translation>einige der Einträge existieren nicht mehr</translation>
    </message>
    <message>
        <source>some of the entries are linked already</source>
        <translation>einige der Einträge sind bereits verknüpft</translation>
    </message>
    <message>
        <source>Tavro did not book it</source>
        <translation>Tavro hat sie nicht gebucht</translation>
    </message>
    <message>
        <source>Tavro did not book it, but the entries could not be unmarked</source>
        <translation>Tavro hat sie nicht gebucht, aber die Markierung der Einträge konnte nicht entfernt werden</translation>
    </message>
    <message>
        <source>its answer was lost or could not be read</source>
        <translation>seine Antwort ging verloren oder war nicht lesbar</translation>
    </message>
    <message>
        <source>it accepted the booking without naming the new entry</source>
        <translation>es hat die Buchung angenommen, ohne den neuen Eintrag zu nennen</translation>
    </message>
    <message>
        <source>the times of remote entry %1 could not be read</source>
        <translation>die Zeiten des Tavro-Eintrags %1 konnten nicht gelesen werden</translation>
    </message>
    <message>
        <source>their links could not be read from the local database</source>
        <translation>ihre Verknüpfungen konnten nicht aus der lokalen Datenbank gelesen werden</translation>
    </message>
    <message>
        <source>remote entry %1 holds less time than is linked with it here</source>
        <translation>der Tavro-Eintrag %1 enthält weniger Zeit, als hier mit ihm verknüpft ist</translation>
    </message>
    <message>
        <source>the local database cannot be written (%1)</source>
        <translation>in die lokale Datenbank kann nicht geschrieben werden (%1)</translation>
    </message>
    <message>
        <source>their links could not be cleared in the local database</source>
        <translation>ihre Verknüpfungen konnten in der lokalen Datenbank nicht gelöscht werden</translation>
    </message>
    <message>
        <source>remote entry %1 could not be shortened</source>
        <translation>der Tavro-Eintrag %1 konnte nicht gekürzt werden</translation>
    </message>
    <message>
        <source>remote entry %1 could not be deleted</source>
        <translation>der Tavro-Eintrag %1 konnte nicht gelöscht werden</translation>
    </message>
    <message>
        <source>Tavro has not confirmed their booking or unlinking yet (choose &quot;Settle Unconfirmed Booking&quot; first)</source>
        <translation>Tavro hat ihre Buchung oder das Aufheben der Verknüpfung noch nicht bestätigt (wählen Sie zuerst „Unbestätigte Buchung klären“)</translation>
    </message>
</context>
<context>
    <name>CalendarWidget</name>
    <message>
        <source>Previous Month</source>
        <translation>Voriger Monat</translation>
    </message>
    <message>
        <source>Next Month</source>
        <translation>Nächster Monat</translation>
    </message>
    <message>
        <source>Days of the month</source>
        <translation>Tage des Monats</translation>
    </message>
</context>
<context>
    <name>CredentialStorage</name>
    <message>
        <source>No keyring (Secret Service) took your password: it is kept in the settings file tavrodesk.ini.</source>
        <translation>Kein Schlüsselbund (Secret Service) hat Ihr Passwort angenommen: Es wird in der Einstellungsdatei tavrodesk.ini gespeichert.</translation>
    </message>
    <message>
        <source>Your password goes to the keyring (Secret Service) when it is saved; until the keyring takes it, it is kept in the settings file tavrodesk.ini.</source>
        <translation>Ihr Passwort kommt beim Speichern in den Schlüsselbund (Secret Service); bis der Schlüsselbund es annimmt, steht es in der Einstellungsdatei tavrodesk.ini.</translation>
    </message>
</context>
<context>
    <name>DatabaseCheck</name>
    <message>
        <source>Check Database</source>
        <translation>Datenbank prüfen</translation>
    </message>
    <message>
        <source>The database shows no damage.</source>
        <translation>Die Datenbank ist unbeschädigt.</translation>
    </message>
    <message>
        <source>The check was stopped after %1 seconds; the part it read shows no damage.</source>
        <translation>Die Prüfung wurde nach %1 Sekunden beendet; der geprüfte Teil ist unbeschädigt.</translation>
    </message>
    <message>
        <source>The database %1 is damaged:

%2

TavroDesk carries on with it, but some entries may be wrong or missing. Keep a copy of the file as it is now?</source>
        <translation>Die Datenbank %1 ist beschädigt:

%2

TavroDesk arbeitet mit ihr weiter, aber einige Einträge können falsch sein oder fehlen. Eine Kopie der Datei in ihrem jetzigen Zustand aufbewahren?</translation>
    </message>
    <message>
        <source>The copy could not be made.</source>
        <translation>Die Kopie konnte nicht angelegt werden.</translation>
    </message>
    <message>
        <source>A copy was kept as %1.</source>
        <translation>Eine Kopie wurde als %1 aufbewahrt.</translation>
    </message>
</context>
<context>
    <name>DateRangePicker</name>
    <message>
        <source>Selected Day</source>
        <translation>Ausgewählter Tag</translation>
    </message>
    <message>
        <source>&amp;From</source>
        <translation>&amp;Von</translation>
    </message>
    <message>
        <source>&amp;to</source>
        <translation>&amp;bis</translation>
    </message>
    <message>
        <source>Range of days</source>
        <translation>Zeitraum</translation>
    </message>
</context>
<context>
    <name>DateRangePresets</name>
    <message>
        <source>Today</source>
        <translation>Heute</translation>
    </message>
    <message>
        <source>Yesterday</source>
        <translation>Gestern</translation>
    </message>
    <message>
        <source>3 Days Back</source>
        <translation>Letzte 3 Tage</translation>
    </message>
    <message>
        <source>This Week</source>
        <translation>Diese Woche</translation>
    </message>
    <message>
        <source>Previous Week</source>
        <translation>Vorige Woche</translation>
    </message>
    <message>
        <source>This Month</source>
        <translation>Dieser Monat</translation>
    </message>
    <message>
        <source>Previous Month</source>
        <translation>Voriger Monat</translation>
    </message>
    <message>
        <source>Custom</source>
        <translation>Benutzerdefiniert</translation>
    </message>
</context>
<context>
    <name>Duration</name>
    <message>
        <source>%1 h %2 m %3 s</source>
        <extracomment>A duration: hours, minutes and seconds.</extracomment>
        <translation>%1 Std. %2 Min. %3 Sek.</translation>
    </message>
    <message>
        <source>%1 m %2 s</source>
        <translation>%1 Min. %2 Sek.</translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation>%1 Sek.</translation>
    </message>
</context>
<context>
    <name>EntriesList</name>
    <message>
        <source>&amp;Unlink</source>
        <translation>Verknüpfung &amp;aufheben</translation>
    </message>
    <message>
        <source>&amp;Settle Unconfirmed Booking</source>
        <translation>Unbestätigte Buchung k&amp;lären</translation>
    </message>
    <message>
        <source>Ex&amp;pand All</source>
        <translation>Alle auf&amp;klappen</translation>
    </message>
    <message>
        <source>&amp;Collapse All</source>
        <translation>Alle &amp;zuklappen</translation>
    </message>
    <message>
        <source>Confirm unlink</source>
        <translation>Verknüpfung aufheben bestätigen</translation>
    </message>
    <message>
        <source>&amp;Unlink Entries</source>
        <translation>Verknüpfungen &amp;aufheben</translation>
    </message>
    <message>
        <source>&amp;Keep Linked</source>
        <translation>Verknüpft &amp;lassen</translation>
    </message>
    <message>
        <source>&amp;Unlink Entry</source>
        <translation>Verknüpfung &amp;aufheben</translation>
    </message>
    <message>
        <source>No time linked on this day. Drag entries onto a task of the projects, or choose &quot;Link Time With Task...&quot;, to book them on Tavro.</source>
        <translation>An diesem Tag ist keine Zeit verknüpft. Ziehen Sie Einträge auf eine Aufgabe der Projekte oder wählen Sie „Zeit mit Aufgabe verknüpfen...“, um sie auf Tavro zu buchen.</translation>
    </message>
</context>
<context>
    <name>EntryCommands</name>
    <message>
        <source>The entries could not be deleted: </source>
        <translation>Die Einträge konnten nicht gelöscht werden: </translation>
    </message>
    <message>
        <source>The description of the away time could not be stored: </source>
        <translation>Die Beschreibung der Abwesenheit konnte nicht gespeichert werden: </translation>
    </message>
    <message>
        <source>The recorded titles could not be replaced: </source>
        <translation>Die aufgezeichneten Titel konnten nicht ersetzt werden: </translation>
    </message>
    <message>
        <source>Database error</source>
        <translation>Datenbankfehler</translation>
    </message>
</context>
<context>
    <name>EntryExport</name>
    <message>
        <source>The range needs a valid first and last day.</source>
        <translation>Der Zeitraum braucht einen gültigen ersten und letzten Tag.</translation>
    </message>
    <message>
        <source>The range ends (%1) before it starts (%2).</source>
        <translation>Der Zeitraum endet (%1), bevor er beginnt (%2).</translation>
    </message>
    <message>
        <source>The entries could not be read from the database; it may be damaged.</source>
        <translation>Die Einträge konnten nicht aus der Datenbank gelesen werden; sie ist möglicherweise beschädigt.</translation>
    </message>
    <message>
        <source>The export could not be written: %1</source>
        <translation>Der Export konnte nicht geschrieben werden: %1</translation>
    </message>
    <message>
        <source>Could not write %1: not a regular file.</source>
        <translation>%1 konnte nicht geschrieben werden: keine normale Datei.</translation>
    </message>
    <message>
        <source>Could not write %1: %2</source>
        <translation>%1 konnte nicht geschrieben werden: %2</translation>
    </message>
</context>
<context>
    <name>EntryLinker</name>
    <message>
        <source>task %1</source>
        <translation>Aufgabe %1</translation>
    </message>
    <message>
        <source>Database error</source>
        <translation>Datenbankfehler</translation>
    </message>
    <message>
        <source>Nothing was booked on Tavro, because the local database cannot store the link: %1</source>
        <translation>Auf Tavro wurde nichts gebucht, weil die lokale Datenbank die Verknüpfung nicht speichern kann: %1</translation>
    </message>
    <message>
        <source>Booking not confirmed</source>
        <translation>Buchung nicht bestätigt</translation>
    </message>
    <message>
        <source>Tavro may have booked %1 on %2 for %3, but %4.

The entries are kept as linked, marked unconfirmed, so that they are not booked twice. Check the task&apos;s time on Tavro, then choose &quot;Settle Unconfirmed Booking&quot; on them in the linked entries.</source>
        <translation>Tavro hat möglicherweise %1 am %2 für %3 gebucht, aber %4.

Die Einträge bleiben verknüpft und als unbestätigt markiert, damit sie nicht doppelt gebucht werden. Prüfen Sie die Zeit der Aufgabe auf Tavro und wählen Sie dann bei den verknüpften Einträgen „Unbestätigte Buchung klären“.</translation>
    </message>
    <message>
        <source>Tavro booked the time as entry %1, but the local database could not store that. The entries stay marked unconfirmed.</source>
        <translation>Tavro hat die Zeit als Eintrag %1 gebucht, aber die lokale Datenbank konnte das nicht speichern. Die Einträge bleiben als unbestätigt markiert.</translation>
    </message>
    <message>
        <source>Unlinked without a Tavro entry</source>
        <translation>Ohne Tavro-Eintrag aufgehoben</translation>
    </message>
    <message>
        <source>%1 of the unlinked time belonged to no Tavro entry known here. If it is booked on Tavro, take it off there before linking it again.</source>
        <translation>%1 der aufgehobenen Zeit gehörte zu keinem hier bekannten Tavro-Eintrag. Falls sie auf Tavro gebucht ist, nehmen Sie sie dort heraus, bevor Sie sie erneut verknüpfen.</translation>
    </message>
    <message>
        <source>Unlinking not confirmed</source>
        <translation>Aufheben nicht bestätigt</translation>
    </message>
    <message>
        <source>Tavro may have taken %1 off, but its answer was lost or could not be read.

The entries are kept as linked, marked unconfirmed, so that the time is not taken off twice. Choose &quot;Settle Unconfirmed Booking&quot; on them in the linked entries to let TavroDesk ask Tavro again.</source>
        <translation>Tavro hat möglicherweise %1 herausgenommen, aber seine Antwort ging verloren oder war nicht lesbar.

Die Einträge bleiben verknüpft und als unbestätigt markiert, damit die Zeit nicht doppelt herausgenommen wird. Wählen Sie bei den verknüpften Einträgen „Unbestätigte Buchung klären“, damit TavroDesk Tavro erneut fragt.</translation>
    </message>
    <message>
        <source>Unlink failed</source>
        <translation>Aufheben fehlgeschlagen</translation>
    </message>
    <message>
        <source>%1 of the selected time is still linked with Tavro, because %2.

These entries stay linked; try to unlink them again later.</source>
        <translation>%1 der ausgewählten Zeit ist noch mit Tavro verknüpft, weil %2.

Diese Einträge bleiben verknüpft; versuchen Sie es später noch einmal.</translation>
    </message>
    <message>
        <source>, and </source>
        <translation> und </translation>
    </message>
    <message>
        <source>Settle Unconfirmed Booking</source>
        <translation>Unbestätigte Buchung klären</translation>
    </message>
    <message>
        <source>%1
Cancel: decide later.</source>
        <translation>%1
Abbrechen: später entscheiden.</translation>
    </message>
    <message>
        <source>The selected entries hold no unconfirmed booking.</source>
        <translation>Die ausgewählten Einträge enthalten keine unbestätigte Buchung.</translation>
    </message>
    <message>
        <source>On %1 TavroDesk asked Tavro to book %2 on %3 for %4 and got no usable answer.

Look at that task&apos;s time on Tavro. Is this time booked there?

Yes: keep the entries linked.
No: unlink them, so that they can be linked again.</source>
        <translation>Am %1 hat TavroDesk Tavro gebeten, %2 auf %3 für %4 zu buchen, und keine brauchbare Antwort erhalten.

Sehen Sie sich die Zeit dieser Aufgabe auf Tavro an. Ist diese Zeit dort gebucht?

Ja: Die Einträge bleiben verknüpft.
Nein: Die Verknüpfung wird aufgehoben, damit sie erneut verknüpft werden können.</translation>
    </message>
    <message>
        <source>On %1 TavroDesk asked Tavro to take %2 off its entry %3, and Tavro&apos;s entry now tells neither that this happened nor that it did not.

Look at that entry on Tavro. Is this time taken off there?

Yes: unlink the entries.
No: keep them linked.</source>
        <translation>Am %1 hat TavroDesk Tavro gebeten, %2 aus seinem Eintrag %3 herauszunehmen, und der Tavro-Eintrag zeigt weder, dass das geschehen ist, noch dass es nicht geschehen ist.

Sehen Sie sich diesen Eintrag auf Tavro an. Ist diese Zeit dort herausgenommen?

Ja: Die Verknüpfung der Einträge wird aufgehoben.
Nein: Sie bleiben verknüpft.</translation>
    </message>
    <message>
        <source>An answer could not be stored; its booking stays unconfirmed.</source>
        <translation>Eine Antwort konnte nicht gespeichert werden; ihre Buchung bleibt unbestätigt.</translation>
    </message>
</context>
<context>
    <name>EntryTreeView</name>
    <message>
        <source>Are you sure you want to delete selected entry?</source>
        <translation>Möchten Sie den ausgewählten Eintrag wirklich löschen?</translation>
    </message>
    <message numerus="yes">
        <source>Are you sure you want to delete these %n entries?</source>
        <translation>
            <numerusform>Möchten Sie diesen %n Eintrag wirklich löschen?</numerusform>
            <numerusform>Möchten Sie diese %n Einträge wirklich löschen?</numerusform>
        </translation>
    </message>
    <message>
        <source>Are you sure you want to unlink selected entry?</source>
        <translation>Möchten Sie die Verknüpfung des ausgewählten Eintrags wirklich aufheben?</translation>
    </message>
    <message numerus="yes">
        <source>Are you sure you want to unlink these %n entries?</source>
        <translation>
            <numerusform>Möchten Sie die Verknüpfung dieses %n Eintrags wirklich aufheben?</numerusform>
            <numerusform>Möchten Sie die Verknüpfung dieser %n Einträge wirklich aufheben?</numerusform>
        </translation>
    </message>
    <message>
        <source>Time: %1</source>
        <translation>Zeit: %1</translation>
    </message>
    <message>
        <source>Cumulated time: %1</source>
        <translation>Summe der Zeit: %1</translation>
    </message>
</context>
<context>
    <name>EntryViews</name>
    <message>
        <source>none</source>
        <translation>keine</translation>
    </message>
    <message>
        <source>10 seconds</source>
        <translation>10 Sekunden</translation>
    </message>
    <message>
        <source>30 seconds</source>
        <translation>30 Sekunden</translation>
    </message>
    <message>
        <source>1 minute</source>
        <translation>1 Minute</translation>
    </message>
    <message>
        <source>5 minutes</source>
        <translation>5 Minuten</translation>
    </message>
    <message>
        <source>10 minutes</source>
        <translation>10 Minuten</translation>
    </message>
</context>
<context>
    <name>ExportAction</name>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Exported to %1</source>
        <translation>Exportiert nach %1</translation>
    </message>
</context>
<context>
    <name>ExportDialog</name>
    <message>
        <source>Export Time Entries</source>
        <translation>Zeiteinträge exportieren</translation>
    </message>
    <message>
        <source>Format:</source>
        <translation>Format:</translation>
    </message>
    <message>
        <source>JSON (*.json)</source>
        <translation>JSON (*.json)</translation>
    </message>
    <message>
        <source>CSV (*.csv)</source>
        <translation>CSV (*.csv)</translation>
    </message>
    <message>
        <source>The range ends before it starts.</source>
        <translation>Der Zeitraum endet, bevor er beginnt.</translation>
    </message>
    <message>
        <source>Choose a file to export to.</source>
        <translation>Wählen Sie eine Datei für den Export.</translation>
    </message>
    <message>
        <source>Validation Error</source>
        <translation>Ungültige Eingabe</translation>
    </message>
    <message>
        <source>&amp;CSV</source>
        <comment>file format</comment>
        <translation>&amp;CSV</translation>
    </message>
    <message>
        <source>&amp;JSON</source>
        <comment>file format</comment>
        <translation>&amp;JSON</translation>
    </message>
    <message>
        <source>&amp;Browse…</source>
        <translation>&amp;Durchsuchen…</translation>
    </message>
    <message>
        <source>&amp;Export</source>
        <translation>E&amp;xportieren</translation>
    </message>
    <message>
        <source>&amp;Days:</source>
        <translation>&amp;Tage:</translation>
    </message>
    <message>
        <source>F&amp;ile:</source>
        <translation>Dat&amp;ei:</translation>
    </message>
</context>
<context>
    <name>FeedUpdateChecker</name>
    <message>
        <source>Check for Updates</source>
        <translation>Nach Updates suchen</translation>
    </message>
    <message>
        <source>The update feed address is not set.</source>
        <translation>Die Adresse des Update-Feeds ist nicht eingestellt.</translation>
    </message>
    <message>
        <source>The update information could not be read: %1</source>
        <translation>Die Update-Informationen konnten nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>The update information lists no releases.</source>
        <translation>Die Update-Informationen nennen keine Versionen.</translation>
    </message>
    <message>
        <source>TavroDesk is up to date.</source>
        <translation>TavroDesk ist auf dem neuesten Stand.</translation>
    </message>
    <message>
        <source>Version %1 is available.</source>
        <translation>Version %1 ist verfügbar.</translation>
    </message>
    <message>
        <source>The update information could not be read: The feed is larger than %1 KB.</source>
        <translation>Die Update-Informationen konnten nicht gelesen werden: Der Feed ist größer als %1 KB.</translation>
    </message>
    <message>
        <source>The update information could not be fetched: %1</source>
        <translation>Die Update-Informationen konnten nicht abgerufen werden: %1</translation>
    </message>
    <message>
        <source>%1
Open the download page?</source>
        <translation>%1
Die Download-Seite öffnen?</translation>
    </message>
</context>
<context>
    <name>GnomeExtensionSetup</name>
    <message>
        <source>GNOME Shell extension</source>
        <translation>GNOME-Shell-Erweiterung</translation>
    </message>
    <message>
        <source>Install &amp;GNOME Shell Extension...</source>
        <translation>&amp;GNOME-Shell-Erweiterung installieren...</translation>
    </message>
    <message>
        <source>On GNOME with Wayland, programs cannot see which window is in front. To record the windows you work in, TavroDesk needs a small GNOME Shell extension that tells it the title, application and process of the focused window. The extension only reports, to programs of your own session, and changes nothing on your desktop.

Install and enable the extension now? GNOME loads a new extension at the next login.

Until then, or if you decline, TavroDesk records only windows of programs that run through XWayland. You can install the extension later from the File menu.</source>
        <translation>Unter GNOME mit Wayland können Programme nicht sehen, welches Fenster vorne ist. Um die Fenster aufzuzeichnen, in denen Sie arbeiten, braucht TavroDesk eine kleine GNOME-Shell-Erweiterung, die ihm Titel, Anwendung und Prozess des aktiven Fensters mitteilt. Die Erweiterung meldet nur, und nur an Programme Ihrer eigenen Sitzung, und ändert nichts an Ihrem Desktop.

Die Erweiterung jetzt installieren und einschalten? GNOME lädt eine neue Erweiterung bei der nächsten Anmeldung.

Bis dahin, oder wenn Sie ablehnen, zeichnet TavroDesk nur Fenster von Programmen auf, die über XWayland laufen. Sie können die Erweiterung später über das Menü „Datei“ installieren.</translation>
    </message>
    <message>
        <source>The TavroDesk extension is installed and running: TavroDesk records all your windows.</source>
        <translation>Die TavroDesk-Erweiterung ist installiert und läuft: TavroDesk zeichnet alle Ihre Fenster auf.</translation>
    </message>
    <message>
        <source>The TavroDesk extension is installed and enabled, but GNOME has extensions switched off for your account. Switch them on in GNOME&apos;s Extensions app and log out and back in; until then TavroDesk records only windows of programs that run through XWayland.</source>
        <translation>Die TavroDesk-Erweiterung ist installiert und eingeschaltet, aber GNOME hat Erweiterungen für Ihr Konto ausgeschaltet. Schalten Sie sie in GNOMEs Anwendung „Erweiterungen“ ein und melden Sie sich ab und wieder an; bis dahin zeichnet TavroDesk nur Fenster von Programmen auf, die über XWayland laufen.</translation>
    </message>
    <message>
        <source>The TavroDesk extension is installed and enabled. GNOME loads a new extension at the next login: log out and back in, and TavroDesk records all your windows. Until then it records only windows of programs that run through XWayland.</source>
        <translation>Die TavroDesk-Erweiterung ist installiert und eingeschaltet. GNOME lädt eine neue Erweiterung bei der nächsten Anmeldung: Melden Sie sich ab und wieder an, dann zeichnet TavroDesk alle Ihre Fenster auf. Bis dahin zeichnet es nur Fenster von Programmen auf, die über XWayland laufen.</translation>
    </message>
    <message>
        <source>GNOME Shell does not answer on the session bus.</source>
        <translation>GNOME Shell antwortet nicht auf dem Sitzungsbus.</translation>
    </message>
    <message>
        <source>GNOME Shell could not start it: %1</source>
        <translation>GNOME Shell konnte sie nicht starten: %1</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>The GNOME Shell extension could not be installed: %1</source>
        <translation>Die GNOME-Shell-Erweiterung konnte nicht installiert werden: %1</translation>
    </message>
</context>
<context>
    <name>GnomeShellExtension</name>
    <message>
        <source>cannot create %1</source>
        <translation>%1 kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>cannot remove %1</source>
        <translation>%1 kann nicht entfernt werden</translation>
    </message>
</context>
<context>
    <name>GnomeShellSettings</name>
    <message>
        <source>GNOME&apos;s settings cannot be read: %1</source>
        <translation>Die GNOME-Einstellungen können nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>GNOME Shell&apos;s settings (%1) are not installed</source>
        <translation>Die Einstellungen der GNOME Shell (%1) sind nicht installiert</translation>
    </message>
    <message>
        <source>GNOME&apos;s settings are read-only here (%1)</source>
        <translation>Die GNOME-Einstellungen sind hier schreibgeschützt (%1)</translation>
    </message>
</context>
<context>
    <name>GnomeShellWindowSource</name>
    <message>
        <source>GNOME Shell is not running.</source>
        <translation>GNOME Shell läuft nicht.</translation>
    </message>
    <message>
        <source>The GNOME Shell extension is not installed (File menu).</source>
        <translation>Die GNOME-Shell-Erweiterung ist nicht installiert (Menü „Datei“).</translation>
    </message>
    <message>
        <source>The GNOME Shell extension is switched off in GNOME&apos;s Extensions.</source>
        <translation>Die GNOME-Shell-Erweiterung ist in GNOMEs „Erweiterungen“ ausgeschaltet.</translation>
    </message>
    <message>
        <source>GNOME has extensions switched off: switch them on in GNOME&apos;s Extensions.</source>
        <translation>GNOME hat Erweiterungen ausgeschaltet: Schalten Sie sie in GNOMEs „Erweiterungen“ ein.</translation>
    </message>
    <message>
        <source>GNOME Shell could not start the extension: %1.</source>
        <translation>GNOME Shell konnte die Erweiterung nicht starten: %1.</translation>
    </message>
    <message>
        <source>The GNOME Shell extension starts at the next login.</source>
        <translation>Die GNOME-Shell-Erweiterung startet bei der nächsten Anmeldung.</translation>
    </message>
    <message>
        <source>The GNOME Shell extension does not answer.</source>
        <translation>Die GNOME-Shell-Erweiterung antwortet nicht.</translation>
    </message>
</context>
<context>
    <name>IgnoredAppsDialog</name>
    <message>
        <source>Excluded Applications</source>
        <translation>Ausgeschlossene Anwendungen</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Application &quot;%1&quot; does not exist.</source>
        <translation>Die Anwendung „%1“ existiert nicht.</translation>
    </message>
    <message>
        <source>&amp;Add...</source>
        <translation>&amp;Hinzufügen...</translation>
    </message>
    <message>
        <source>&amp;Remove</source>
        <translation>&amp;Entfernen</translation>
    </message>
    <message>
        <source>Never Recorded Applications</source>
        <translation>Nie aufgezeichnete Anwendungen</translation>
    </message>
    <message>
        <source>Keep their time, titled &quot;Private&quot;</source>
        <translation>Ihre Zeit behalten, mit dem Titel „Private“</translation>
    </message>
</context>
<context>
    <name>KWinScriptWindowSource</name>
    <message>
        <source>The KWin script does not answer.</source>
        <translation>Das KWin-Skript antwortet nicht.</translation>
    </message>
    <message>
        <source>KWin is not running on this session bus.</source>
        <translation>KWin läuft nicht auf diesem Sitzungsbus.</translation>
    </message>
    <message>
        <source>TavroDesk cannot write its KWin script to %1.</source>
        <translation>TavroDesk kann sein KWin-Skript nicht nach %1 schreiben.</translation>
    </message>
    <message>
        <source>KWin refused to load the TavroDesk script (%1).</source>
        <translation>KWin hat das Laden des TavroDesk-Skripts abgelehnt (%1).</translation>
    </message>
    <message>
        <source>KWin did not start the TavroDesk script (%1).</source>
        <translation>KWin hat das TavroDesk-Skript nicht gestartet (%1).</translation>
    </message>
</context>
<context>
    <name>LineEdit</name>
    <message>
        <source>Clear</source>
        <translation>Leeren</translation>
    </message>
</context>
<context>
    <name>LinkOpener</name>
    <message>
        <source>Open Link</source>
        <translation>Link öffnen</translation>
    </message>
    <message>
        <source>No web browser could be opened. The address is:
%1</source>
        <translation>Es konnte kein Webbrowser geöffnet werden. Die Adresse lautet:
%1</translation>
    </message>
</context>
<context>
    <name>LinkTimeDialog</name>
    <message>
        <source>Link Time With Task</source>
        <translation>Zeit mit Aufgabe verknüpfen</translation>
    </message>
    <message>
        <source>Linking worked time:</source>
        <translation>Zu verknüpfende Arbeitszeit:</translation>
    </message>
    <message>
        <source>&amp;Project</source>
        <translation>&amp;Projekt</translation>
    </message>
    <message>
        <source>&amp;Task</source>
        <translation>&amp;Aufgabe</translation>
    </message>
    <message>
        <source>&amp;Notes</source>
        <translation>&amp;Notizen</translation>
    </message>
</context>
<context>
    <name>LoginDialog</name>
    <message>
        <source>Login</source>
        <translation>Anmeldung</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;body&gt;&lt;p&gt;This application does not support 3rd party logins (Google/Google Apps/Yahoo!).&lt;br/&gt;You need to use your Tavro credentials which can be set up on the &quot;My Account&quot; page.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;body&gt;&lt;p&gt;Dieses Programm unterstützt keine Anmeldung über Drittanbieter (Google/Google Apps/Yahoo!).&lt;br/&gt;Verwenden Sie Ihre Tavro-Zugangsdaten, die Sie auf der Seite „Mein Konto“ einrichten können.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&amp;Email</source>
        <translation>&amp;E-Mail</translation>
    </message>
    <message>
        <source>&amp;Password</source>
        <translation>&amp;Passwort</translation>
    </message>
    <message>
        <source>&amp;Remember my password</source>
        <translation>Passwort &amp;merken</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>TavroDesk</source>
        <translation>TavroDesk</translation>
    </message>
    <message>
        <source>Keep Filters In Sync</source>
        <translation>Filter gleich halten</translation>
    </message>
    <message>
        <source>Paused</source>
        <translation>Pausiert</translation>
    </message>
    <message>
        <source>Unlinked Entries:</source>
        <translation>Nicht verknüpft:</translation>
    </message>
    <message>
        <source>Linked Entries:</source>
        <translation>Verknüpft:</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <source>&amp;Rules</source>
        <translation>&amp;Regeln</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>Log In...</source>
        <translation>Anmelden...</translation>
    </message>
    <message>
        <source>Log In</source>
        <translation>Anmelden</translation>
    </message>
    <message>
        <source>Log Out</source>
        <translation>Abmelden</translation>
    </message>
    <message>
        <source>S&amp;ettings...</source>
        <translation>&amp;Einstellungen...</translation>
    </message>
    <message>
        <source>Export…</source>
        <translation>Exportieren…</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>&amp;Timestamps...</source>
        <translation>&amp;Zeitstempel...</translation>
    </message>
    <message>
        <source>E&amp;xcluded Applications...</source>
        <translation>Ausge&amp;schlossene Anwendungen...</translation>
    </message>
    <message>
        <source>&amp;Refresh Projects</source>
        <translation>Projekte a&amp;ktualisieren</translation>
    </message>
    <message>
        <source>&amp;New Rule...</source>
        <translation>&amp;Neue Regel...</translation>
    </message>
    <message>
        <source>&amp;View Rules...</source>
        <translation>Regeln an&amp;zeigen...</translation>
    </message>
    <message>
        <source>&amp;Apply Rules</source>
        <translation>Regeln &amp;anwenden</translation>
    </message>
    <message>
        <source>Apply Rules for &amp;Date Range...</source>
        <translation>Regeln für Zeit&amp;raum anwenden...</translation>
    </message>
    <message>
        <source>&amp;Help Topics</source>
        <translation>&amp;Hilfethemen</translation>
    </message>
    <message>
        <source>Check for &amp;Updates...</source>
        <translation>Nach &amp;Updates suchen...</translation>
    </message>
    <message>
        <source>&amp;About Tavro...</source>
        <translation>&amp;Über Tavro...</translation>
    </message>
    <message>
        <source>Loading...</source>
        <translation>Wird geladen...</translation>
    </message>
    <message>
        <source>Check &amp;Database...</source>
        <translation>&amp;Datenbank prüfen...</translation>
    </message>
    <message>
        <source>Recording</source>
        <translation>Aufzeichnung läuft</translation>
    </message>
    <message>
        <source>Loading entries...</source>
        <translation>Einträge werden geladen...</translation>
    </message>
    <message>
        <source>&amp;Week</source>
        <translation>&amp;Woche</translation>
    </message>
    <message>
        <source>Recorded time not stored</source>
        <translation>Aufgezeichnete Zeit nicht gespeichert</translation>
    </message>
    <message>
        <source>The time recorded since %1 can neither be stored in the database nor kept in the recording journal (is the disk full?). If TavroDesk quits now, that time is lost.

Quit anyway?</source>
        <translation>Die seit %1 aufgezeichnete Zeit kann weder in der Datenbank gespeichert noch im Aufzeichnungsjournal festgehalten werden (ist die Festplatte voll?). Wenn TavroDesk jetzt beendet wird, geht diese Zeit verloren.

Trotzdem beenden?</translation>
    </message>
    <message>
        <source>TavroDesk keeps running</source>
        <translation>TavroDesk läuft weiter</translation>
    </message>
    <message>
        <source>TavroDesk keeps recording with its window closed, but this desktop has no notification area to show its icon. Start TavroDesk again from the applications menu to bring the window back; File &gt; Exit ends it.</source>
        <translation>TavroDesk zeichnet bei geschlossenem Fenster weiter auf, aber dieser Desktop hat keinen Infobereich für sein Symbol. Starten Sie TavroDesk erneut aus dem Anwendungsmenü, um das Fenster zurückzuholen; Datei &gt; Beenden beendet es.</translation>
    </message>
    <message>
        <source>Filter &amp;Time Entries</source>
        <translation>&amp;Zeiteinträge filtern</translation>
    </message>
    <message>
        <source>&amp;Group By Hour</source>
        <translation>Nach Stunden &amp;gruppieren</translation>
    </message>
    <message>
        <source>Entries not linked with Tavro</source>
        <translation>Nicht mit Tavro verknüpfte Einträge</translation>
    </message>
    <message>
        <source>Records the window in front while switched on</source>
        <translation>Zeichnet das Fenster im Vordergrund auf, solange eingeschaltet</translation>
    </message>
    <message>
        <source>Calendar</source>
        <translation>Kalender</translation>
    </message>
    <message>
        <source>Show T&amp;oday</source>
        <translation>He&amp;ute zeigen</translation>
    </message>
    <message>
        <source>Hi&amp;de entries under</source>
        <translation>Einträge aus&amp;blenden unter</translation>
    </message>
    <message>
        <source>Filter &amp;Projects and Tasks</source>
        <translation>&amp;Projekte und Aufgaben filtern</translation>
    </message>
    <message>
        <source>Projects and tasks</source>
        <translation>Projekte und Aufgaben</translation>
    </message>
    <message>
        <source>Entries linked with Tavro</source>
        <translation>Mit Tavro verknüpfte Einträge</translation>
    </message>
    <message>
        <source>&amp;Quit Anyway</source>
        <translation>Trotzdem &amp;beenden</translation>
    </message>
    <message>
        <source>&amp;Keep Running</source>
        <translation>&amp;Weiterlaufen lassen</translation>
    </message>
    <message>
        <source>&amp;Apply Rules</source>
        <comment>button</comment>
        <translation>Regeln anwende&amp;n</translation>
    </message>
    <message>
        <source>Pause recording</source>
        <translation>Aufzeichnung pausieren</translation>
    </message>
    <message>
        <source>Start recording</source>
        <translation>Aufzeichnung starten</translation>
    </message>
    <message>
        <source>&amp;Never Recorded Applications...</source>
        <translation>&amp;Nie aufgezeichnete Anwendungen...</translation>
    </message>
</context>
<context>
    <name>NullForegroundWindowSource</name>
    <message>
        <source>No X11 display and no supported Wayland compositor is available, so TavroDesk cannot see which window is in front. Recording stores nothing.</source>
        <translation>Es gibt weder eine X11-Anzeige noch einen unterstützten Wayland-Compositor, daher kann TavroDesk nicht sehen, welches Fenster vorne ist. Die Aufzeichnung speichert nichts.</translation>
    </message>
</context>
<context>
    <name>PrivateTitles</name>
    <message>
        <source>TavroDesk no longer records the window titles of:
    %1

Replace the titles already recorded for %2 with &quot;Private&quot;? The time stays as it is.</source>
        <translation>TavroDesk zeichnet die Fenstertitel folgender Anwendungen nicht mehr auf:
    %1

Die bisher für %2 aufgezeichneten Titel durch „Private“ ersetzen? Die Zeit bleibt, wie sie ist.</translation>
    </message>
    <message>
        <source>this application</source>
        <translation>diese Anwendung</translation>
    </message>
    <message>
        <source>these applications</source>
        <translation>diese Anwendungen</translation>
    </message>
    <message>
        <source>Never Record This Application</source>
        <translation>Diese Anwendung nie aufzeichnen</translation>
    </message>
    <message>
        <source>&amp;Replace Titles</source>
        <translation>Titel &amp;ersetzen</translation>
    </message>
    <message>
        <source>&amp;Keep Titles</source>
        <translation>Titel &amp;behalten</translation>
    </message>
</context>
<context>
    <name>ProjectsTree</name>
    <message>
        <source>&amp;Refresh</source>
        <translation>&amp;Aktualisieren</translation>
    </message>
    <message>
        <source>Add &amp;Task</source>
        <translation>Auf&amp;gabe hinzufügen</translation>
    </message>
    <message>
        <source>Add Task&amp;list</source>
        <translation>Aufgaben&amp;liste hinzufügen</translation>
    </message>
    <message>
        <source>&amp;Mark as complete</source>
        <translation>Als &amp;erledigt markieren</translation>
    </message>
    <message>
        <source>Ex&amp;pand All</source>
        <translation>Alle auf&amp;klappen</translation>
    </message>
    <message>
        <source>&amp;Collapse All</source>
        <translation>Alle &amp;zuklappen</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Could not load projects tree</source>
        <translation>Die Projekte konnten nicht geladen werden</translation>
    </message>
    <message>
        <source>Confirm complete</source>
        <translation>Erledigt bestätigen</translation>
    </message>
    <message>
        <source>Are you sure you want to mark task &quot;%1&quot; as complete?</source>
        <translation>Möchten Sie die Aufgabe „%1“ wirklich als erledigt markieren?</translation>
    </message>
    <message>
        <source>&amp;Mark Complete</source>
        <translation>&amp;Erledigt markieren</translation>
    </message>
    <message>
        <source>&amp;Keep Open</source>
        <translation>&amp;Offen lassen</translation>
    </message>
</context>
<context>
    <name>ProjectsTreeModel</name>
    <message>
        <source>No client</source>
        <translation>Kein Kunde</translation>
    </message>
</context>
<context>
    <name>Recorder</name>
    <message>
        <source>Away time detected</source>
        <translation>Abwesenheit erkannt</translation>
    </message>
    <message>
        <source>Duration: %1
Inactivity period: %2 - %3</source>
        <translation>Dauer: %1
Inaktiv: %2 - %3</translation>
    </message>
    <message>
        <source>Recorded time cannot be stored in the database. TavroDesk keeps it and stores it as soon as the database can be written again.</source>
        <translation>Die aufgezeichnete Zeit kann nicht in der Datenbank gespeichert werden. TavroDesk behält sie und speichert sie, sobald die Datenbank wieder beschreibbar ist.</translation>
    </message>
    <message>
        <source> The recording journal is full: should TavroDesk end unexpectedly, the time recorded since %1 is lost.</source>
        <translation> Das Aufzeichnungsjournal ist voll: Sollte TavroDesk unerwartet enden, geht die seit %1 aufgezeichnete Zeit verloren.</translation>
    </message>
</context>
<context>
    <name>ReportedWindowSource</name>
    <message>
        <source>Only XWayland windows are recorded.</source>
        <translation>Nur XWayland-Fenster werden aufgezeichnet.</translation>
    </message>
</context>
<context>
    <name>RuleEngine</name>
    <message>
        <source>Information</source>
        <translation>Information</translation>
    </message>
    <message>
        <source>No rules to apply</source>
        <translation>Keine Regeln anzuwenden</translation>
    </message>
    <message>
        <source>Apply Rules</source>
        <translation>Regeln anwenden</translation>
    </message>
    <message numerus="yes">
        <source>Rule &quot;%1&quot; was skipped: its task is completed or no longer known to Tavro (%n entries left unlinked).</source>
        <translation>
            <numerusform>Regel „%1“ wurde übersprungen: Ihre Aufgabe ist erledigt oder Tavro nicht mehr bekannt (%n Eintrag bleibt unverknüpft).</numerusform>
            <numerusform>Regel „%1“ wurde übersprungen: Ihre Aufgabe ist erledigt oder Tavro nicht mehr bekannt (%n Einträge bleiben unverknüpft).</numerusform>
        </translation>
    </message>
    <message>
        <source>Rule &quot;%1&quot; was skipped: its task is completed or no longer known to Tavro (1 entry left unlinked).</source>
        <translation>Regel „%1“ wurde übersprungen: Ihre Aufgabe ist erledigt oder Tavro nicht mehr bekannt (1 Eintrag bleibt unverknüpft).</translation>
    </message>
</context>
<context>
    <name>RuleMatcher</name>
    <message>
        <source>%1 at position %2</source>
        <translation>%1 an Position %2</translation>
    </message>
</context>
<context>
    <name>RulePreviewDialog</name>
    <message>
        <source>task #%1</source>
        <translation>Aufgabe #%1</translation>
    </message>
    <message>
        <source>task &apos;%1&apos;</source>
        <translation>Aufgabe „%1“</translation>
    </message>
    <message>
        <source>Rule Preview</source>
        <translation>Regelvorschau</translation>
    </message>
    <message>
        <source>Rule, task or entries</source>
        <translation>Regel, Aufgabe oder Einträge</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Zeit</translation>
    </message>
    <message>
        <source>By rule</source>
        <translation>Nach Regel</translation>
    </message>
    <message>
        <source>By task</source>
        <translation>Nach Aufgabe</translation>
    </message>
    <message>
        <source>Not matched by any rule</source>
        <translation>Von keiner Regel erfasst</translation>
    </message>
    <message>
        <source>Skipped: task completed or unknown to Tavro</source>
        <translation>Übersprungen: Aufgabe erledigt oder Tavro unbekannt</translation>
    </message>
    <message>
        <source>Rule preview</source>
        <translation>Regelvorschau</translation>
    </message>
    <message>
        <source>&amp;Apply</source>
        <translation>&amp;Anwenden</translation>
    </message>
</context>
<context>
    <name>RuleRunResult</name>
    <message>
        <source>task %1</source>
        <translation>Aufgabe %1</translation>
    </message>
    <message numerus="yes">
        <source>%n entries</source>
        <translation>
            <numerusform>%n Eintrag</numerusform>
            <numerusform>%n Einträge</numerusform>
        </translation>
    </message>
    <message>
        <source>No entries matched the rules.</source>
        <translation>Keine Einträge entsprachen den Regeln.</translation>
    </message>
    <message>
        <source>Linked %1 (%2) with:
%3</source>
        <translation>%1 (%2) verknüpft mit:
%3</translation>
    </message>
    <message>
        <source>Could not link:
%1</source>
        <translation>Nicht verknüpft werden konnten:
%1</translation>
    </message>
    <message>
        <source>1 entry</source>
        <translation>1 Eintrag</translation>
    </message>
</context>
<context>
    <name>RulesDialog</name>
    <message>
        <source>Rules</source>
        <translation>Regeln</translation>
    </message>
    <message>
        <source>&amp;New...</source>
        <translation>&amp;Neu...</translation>
    </message>
    <message>
        <source>&amp;Modify...</source>
        <translation>&amp;Ändern...</translation>
    </message>
    <message>
        <source>&amp;Remove</source>
        <translation>&amp;Entfernen</translation>
    </message>
    <message>
        <source>&amp;Duplicate</source>
        <translation>&amp;Duplizieren</translation>
    </message>
    <message>
        <source>Move &amp;up</source>
        <translation>Nach &amp;oben</translation>
    </message>
    <message>
        <source>&amp;Apply Rules Now </source>
        <translation>Regeln jetzt &amp;anwenden </translation>
    </message>
    <message>
        <source>Description:</source>
        <translation>Beschreibung:</translation>
    </message>
    <message>
        <source>Confirm remove</source>
        <translation>Entfernen bestätigen</translation>
    </message>
    <message>
        <source>Are you sure you want to remove this rule?</source>
        <translation>Möchten Sie diese Regel wirklich entfernen?</translation>
    </message>
    <message>
        <source>Apply this rule for time entries</source>
        <translation>Diese Regel gilt für Zeiteinträge</translation>
    </message>
    <message>
        <source>This rule is currently turned off.</source>
        <translation>Diese Regel ist zurzeit ausgeschaltet.</translation>
    </message>
    <message>
        <source>Where Application is</source>
        <translation>mit der Anwendung</translation>
    </message>
    <message>
        <source>&apos; or &apos;</source>
        <translation>&apos; oder &apos;</translation>
    </message>
    <message>
        <source>and Where the window title</source>
        <translation>und einem Fenstertitel, der</translation>
    </message>
    <message>
        <source>contains anything</source>
        <translation>beliebig ist</translation>
    </message>
    <message>
        <source>&apos; and &apos;</source>
        <translation>&apos; und &apos;</translation>
    </message>
    <message>
        <source>contains &apos;%1&apos;</source>
        <translation>&apos;%1&apos; enthält</translation>
    </message>
    <message>
        <source>is &apos;%1&apos;</source>
        <translation>&apos;%1&apos; lautet</translation>
    </message>
    <message>
        <source>matches regular expression &apos;%1&apos;</source>
        <translation>dem regulären Ausdruck &apos;%1&apos; entspricht</translation>
    </message>
    <message>
        <source>and Where entry date is</source>
        <translation>und einem Datum, das</translation>
    </message>
    <message>
        <source>any date</source>
        <translation>beliebig ist</translation>
    </message>
    <message>
        <source>between &apos;%1&apos; and &apos;%2&apos;</source>
        <translation>zwischen dem %1 und dem %2 liegt</translation>
    </message>
    <message>
        <source>Link with task &lt;a href=&apos;#&apos;&gt;&apos;%1&apos;&lt;/a&gt; from project &lt;a href=&apos;#&apos;&gt;&apos;%2&apos;&lt;/a&gt;</source>
        <translation>Verknüpfen mit Aufgabe &lt;a href=&apos;#&apos;&gt;&apos;%1&apos;&lt;/a&gt; aus Projekt &lt;a href=&apos;#&apos;&gt;&apos;%2&apos;&lt;/a&gt;</translation>
    </message>
    <message>
        <source>Move do&amp;wn</source>
        <translation>Nach &amp;unten</translation>
    </message>
    <message>
        <source>Pre&amp;view</source>
        <translation>&amp;Vorschau</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Beschreibung</translation>
    </message>
    <message>
        <source>&amp;Remove Rule</source>
        <translation>Regel &amp;entfernen</translation>
    </message>
    <message>
        <source>&amp;Keep</source>
        <translation>&amp;Behalten</translation>
    </message>
    <message>
        <source>on or before &apos;%1&apos;</source>
        <translation>am oder vor dem %1 liegt</translation>
    </message>
    <message>
        <source>on or after &apos;%1&apos;</source>
        <translation>am oder nach dem %1 liegt</translation>
    </message>
</context>
<context>
    <name>ServiceCall</name>
    <message>
        <source>Network error</source>
        <translation>Netzwerkfehler</translation>
    </message>
</context>
<context>
    <name>Session</name>
    <message>
        <source>Not signed in</source>
        <translation>Nicht angemeldet</translation>
    </message>
    <message>
        <source>Signed in as %1</source>
        <translation>Angemeldet als %1</translation>
    </message>
    <message>
        <source>Initializing network...</source>
        <translation>Netzwerk wird vorbereitet...</translation>
    </message>
    <message>
        <source>Connecting to Tavro...</source>
        <translation>Verbindung zu Tavro wird hergestellt...</translation>
    </message>
    <message>
        <source>Could not connect to Tavro. Working offline.</source>
        <translation>Keine Verbindung zu Tavro. Offline-Betrieb.</translation>
    </message>
    <message>
        <source>Could not connect to Tavro</source>
        <translation>Keine Verbindung zu Tavro</translation>
    </message>
    <message>
        <source>Could not reach Tavro. Working offline.</source>
        <translation>Tavro nicht erreichbar. Offline-Betrieb.</translation>
    </message>
    <message>
        <source>Loading projects...</source>
        <translation>Projekte werden geladen...</translation>
    </message>
    <message>
        <source>Verifying session...</source>
        <translation>Sitzung wird geprüft...</translation>
    </message>
    <message>
        <source>Signing into Tavro...</source>
        <translation>Anmeldung bei Tavro...</translation>
    </message>
    <message>
        <source>The Tavro service accepted the sign-in but sent no usable session token.</source>
        <translation>Der Tavro-Dienst hat die Anmeldung angenommen, aber kein brauchbares Sitzungstoken gesendet.</translation>
    </message>
    <message>
        <source>The Tavro service accepted the sign-in but named no user.</source>
        <translation>Der Tavro-Dienst hat die Anmeldung angenommen, aber keinen Benutzer genannt.</translation>
    </message>
    <message>
        <source>Signing in...</source>
        <translation>Anmeldung...</translation>
    </message>
    <message>
        <source>Signing out from Tavro...</source>
        <translation>Abmeldung von Tavro...</translation>
    </message>
    <message>
        <source>Could not connect to Tavro. Working offline. Retrying in %1 sec...</source>
        <translation>Keine Verbindung zu Tavro. Offline-Betrieb. Neuer Versuch in %1 Sek....</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>Bereit</translation>
    </message>
</context>
<context>
    <name>SettingsDialog</name>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Tavro Account</source>
        <translation>Tavro-Konto</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;body&gt;&lt;p&gt;This application does not support 3rd party logins (Google/Google Apps/Yahoo!).&lt;br/&gt;You need to use your Tavro credentials which can be set up on the &quot;My Account&quot; page.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;body&gt;&lt;p&gt;Dieses Programm unterstützt keine Anmeldung über Drittanbieter (Google/Google Apps/Yahoo!).&lt;br/&gt;Verwenden Sie Ihre Tavro-Zugangsdaten, die Sie auf der Seite „Mein Konto“ einrichten können.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>Note: If you chose not to enter Username or Password, you will be prompted to enter them every time the application starts.</source>
        <translation>Hinweis: Wenn Sie Benutzername oder Passwort nicht eingeben, werden Sie bei jedem Programmstart danach gefragt.</translation>
    </message>
    <message>
        <source>No keyring (Secret Service) is available: your password is kept in the settings file tavrodesk.ini.</source>
        <translation>Kein Schlüsselbund (Secret Service) verfügbar: Ihr Passwort wird in der Einstellungsdatei tavrodesk.ini gespeichert.</translation>
    </message>
    <message>
        <source>Connection and Proxy Settings</source>
        <translation>Verbindung und Proxy</translation>
    </message>
    <message>
        <source>Proxy changes apply as soon as you press OK. With the proxy off, the system&apos;s proxy settings are used.</source>
        <translation>Proxy-Änderungen gelten, sobald Sie OK drücken. Ohne eigenen Proxy gelten die Proxy-Einstellungen des Systems.</translation>
    </message>
    <message>
        <source>Away Time</source>
        <translation>Abwesenheit</translation>
    </message>
    <message>
        <source>minutes</source>
        <translation>Minuten</translation>
    </message>
    <message>
        <source>UI Settings</source>
        <translation>Bedienung</translation>
    </message>
    <message>
        <source>Start TavroDesk when I &amp;log in</source>
        <translation>TavroDesk bei der Anmeldun&amp;g starten</translation>
    </message>
    <message>
        <source>Updates and Help</source>
        <translation>Updates und Hilfe</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>%1 is plain http: SSL does not encrypt it. Use an https:// address.</source>
        <translation>%1 ist einfaches http: SSL verschlüsselt es nicht. Verwenden Sie eine https://-Adresse.</translation>
    </message>
    <message>
        <source>SSL changes apply after restarting TavroDesk.</source>
        <translation>SSL-Änderungen gelten nach einem Neustart von TavroDesk.</translation>
    </message>
    <message>
        <source>E&amp;mail</source>
        <translation>E-&amp;Mail</translation>
    </message>
    <message>
        <source>&amp;Password</source>
        <translation>&amp;Passwort</translation>
    </message>
    <message>
        <source>Use &amp;SSL communication with Tavro</source>
        <translation>Mit Tavro über &amp;SSL verbinden</translation>
    </message>
    <message>
        <source>Use a pro&amp;xy server</source>
        <translation>Einen Pro&amp;xyserver verwenden</translation>
    </message>
    <message>
        <source>&amp;Address:</source>
        <translation>&amp;Adresse:</translation>
    </message>
    <message>
        <source>Po&amp;rt:</source>
        <translation>Po&amp;rt:</translation>
    </message>
    <message>
        <source>Detection &amp;Enabled</source>
        <translation>&amp;Erkennung eingeschaltet</translation>
    </message>
    <message>
        <source>&amp;Inactivity</source>
        <translation>&amp;Inaktivität</translation>
    </message>
    <message>
        <source>Close to &amp;tray</source>
        <translation>Beim Schließen in den Info&amp;bereich</translation>
    </message>
    <message>
        <source>Minimize to tra&amp;y</source>
        <translation>Beim Mi&amp;nimieren in den Infobereich</translation>
    </message>
    <message>
        <source>Single click on tray icon to ope&amp;n</source>
        <translation>Einfacher &amp;Klick auf das Symbol öffnet das Fenster</translation>
    </message>
    <message>
        <source>Check for &amp;updates at start-up and daily</source>
        <translation>Beim Start und täglich nach &amp;Updates suchen</translation>
    </message>
    <message>
        <source>Update &amp;feed:</source>
        <translation>Update-&amp;Feed:</translation>
    </message>
    <message>
        <source>&amp;Help pages:</source>
        <translation>&amp;Hilfeseiten:</translation>
    </message>
    <message>
        <source>Not while an application keeps the screen on (videos, presentations)</source>
        <translation>Nicht, solange eine Anwendung den Bildschirm eingeschaltet hält (Videos, Präsentationen)</translation>
    </message>
</context>
<context>
    <name>SettingsStorage</name>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>Could not create directory: %1</source>
        <translation>Der Ordner konnte nicht angelegt werden: %1</translation>
    </message>
    <message>
        <source>Could not save the settings to %1. They are used until TavroDesk ends.</source>
        <translation>Die Einstellungen konnten nicht in %1 gespeichert werden. Sie gelten, bis TavroDesk endet.</translation>
    </message>
    <message>
        <source>Start at log-in</source>
        <translation>Start bei der Anmeldung</translation>
    </message>
</context>
<context>
    <name>StatusNotices</name>
    <message>
        <source>Not signed in</source>
        <translation>Nicht angemeldet</translation>
    </message>
    <message>
        <source>Linking with Tavro...</source>
        <translation>Verknüpfung mit Tavro...</translation>
    </message>
    <message>
        <source>The entries could not be linked and stay unlinked.</source>
        <translation>Die Einträge konnten nicht verknüpft werden und bleiben unverknüpft.</translation>
    </message>
    <message>
        <source>Not saving: %1</source>
        <translation>Speichern nicht möglich: %1</translation>
    </message>
    <message>
        <source>TavroDesk: %1</source>
        <translation>TavroDesk: %1</translation>
    </message>
    <message>
        <source>TavroDesk cannot save</source>
        <translation>TavroDesk kann nicht speichern</translation>
    </message>
    <message>
        <source>Recorded time is stored again.</source>
        <translation>Die aufgezeichnete Zeit wird wieder gespeichert.</translation>
    </message>
    <message>
        <source>Recorded time not stored</source>
        <translation>Aufgezeichnete Zeit nicht gespeichert</translation>
    </message>
    <message>
        <source>Describe...</source>
        <translation>Beschreiben...</translation>
    </message>
    <message>
        <source>The entries are linked and booked on Tavro.</source>
        <translation>Die Einträge sind verknüpft und auf Tavro gebucht.</translation>
    </message>
    <message>
        <source>The entries are linked, but their booking on Tavro is unconfirmed.</source>
        <translation>Die Einträge sind verknüpft, aber ihre Buchung auf Tavro ist unbestätigt.</translation>
    </message>
</context>
<context>
    <name>StorageCheck</name>
    <message>
        <source>The data folder %1 cannot be written (%2).</source>
        <translation>In den Datenordner %1 kann nicht geschrieben werden (%2).</translation>
    </message>
    <message>
        <source>The database in %1 cannot be written (%2).</source>
        <translation>In die Datenbank in %1 kann nicht geschrieben werden (%2).</translation>
    </message>
</context>
<context>
    <name>Subsystems</name>
    <message>
        <source>Database error</source>
        <translation>Datenbankfehler</translation>
    </message>
    <message>
        <source>Could not open database: %1
%2</source>
        <translation>Die Datenbank konnte nicht geöffnet werden: %1
%2</translation>
    </message>
</context>
<context>
    <name>TimeTree</name>
    <message>
        <source>&amp;Link Time With Task...</source>
        <translation>Zeit mit Aufgabe &amp;verknüpfen...</translation>
    </message>
    <message>
        <source>E&amp;xclude Application</source>
        <translation>Anwendung aus&amp;schließen</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>&amp;Löschen</translation>
    </message>
    <message>
        <source>Ex&amp;pand All</source>
        <translation>Alle auf&amp;klappen</translation>
    </message>
    <message>
        <source>&amp;Collapse All</source>
        <translation>Alle &amp;zuklappen</translation>
    </message>
    <message>
        <source>&amp;View details...</source>
        <translation>&amp;Details anzeigen...</translation>
    </message>
    <message>
        <source>Copy &amp;title</source>
        <translation>&amp;Titel kopieren</translation>
    </message>
    <message>
        <source>Create Rule from Entry...</source>
        <translation>Regel aus Eintrag erstellen...</translation>
    </message>
    <message>
        <source>Create Rule from Application...</source>
        <translation>Regel aus Anwendung erstellen...</translation>
    </message>
    <message>
        <source>Edit descr&amp;iption</source>
        <translation>&amp;Beschreibung bearbeiten</translation>
    </message>
    <message numerus="yes">
        <source>(%n more)</source>
        <translation>
            <numerusform>(%n weitere)</numerusform>
            <numerusform>(%n weitere)</numerusform>
        </translation>
    </message>
    <message>
        <source>Entry is from this application:</source>
        <translation>Der Eintrag stammt aus dieser Anwendung:</translation>
    </message>
    <message>
        <source>Entries are from this application:</source>
        <translation>Die Einträge stammen aus dieser Anwendung:</translation>
    </message>
    <message>
        <source>Entry is from these applications:</source>
        <translation>Der Eintrag stammt aus diesen Anwendungen:</translation>
    </message>
    <message>
        <source>Entries are from these applications:</source>
        <translation>Die Einträge stammen aus diesen Anwendungen:</translation>
    </message>
    <message>
        <source>Confirm delete</source>
        <translation>Löschen bestätigen</translation>
    </message>
    <message>
        <source>&amp;Delete Entries</source>
        <translation>Einträge &amp;löschen</translation>
    </message>
    <message>
        <source>&amp;Keep</source>
        <translation>&amp;Behalten</translation>
    </message>
    <message>
        <source>&amp;Delete Entry</source>
        <translation>Eintrag &amp;löschen</translation>
    </message>
    <message>
        <source>Nothing to link on this day. While &quot;Recording&quot; is on, TavroDesk records the window in front, and its time shows here.</source>
        <translation>An diesem Tag gibt es nichts zu verknüpfen. Solange „Aufzeichnung“ läuft, zeichnet TavroDesk das Fenster im Vordergrund auf, und seine Zeit erscheint hier.</translation>
    </message>
    <message>
        <source>&amp;Never Record This Application</source>
        <translation>Anwendung &amp;nie aufzeichnen</translation>
    </message>
</context>
<context>
    <name>TimelineLayout</name>
    <message>
        <source>Away</source>
        <translation>Abwesend</translation>
    </message>
    <message>
        <source>linked</source>
        <translation>verknüpft</translation>
    </message>
    <message>
        <source>%1: %2, %3 to %4 (%5)</source>
        <translation>%1: %2, %3 bis %4 (%5)</translation>
    </message>
    <message>
        <source>%1, linked</source>
        <translation>%1, verknüpft</translation>
    </message>
</context>
<context>
    <name>TimelineStrip</name>
    <message>
        <source>Timeline</source>
        <translation>Zeitleiste</translation>
    </message>
</context>
<context>
    <name>TimestampsDialog</name>
    <message>
        <source>Timestamps</source>
        <translation>Zeitstempel</translation>
    </message>
    <message>
        <source>Application</source>
        <translation>Anwendung</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>From</source>
        <translation>Von</translation>
    </message>
    <message>
        <source>To</source>
        <translation>Bis</translation>
    </message>
    <message>
        <source>Duration</source>
        <translation>Dauer</translation>
    </message>
</context>
<context>
    <name>TrayMenu</name>
    <message>
        <source>&amp;Start Recording</source>
        <translation>Aufzeichnung &amp;starten</translation>
    </message>
    <message>
        <source>&amp;Pause Recording</source>
        <translation>Aufzeichnung &amp;pausieren</translation>
    </message>
    <message>
        <source>S&amp;ettings...</source>
        <translation>&amp;Einstellungen...</translation>
    </message>
    <message>
        <source>Sho&amp;w TavroDesk</source>
        <translation>TavroDesk an&amp;zeigen</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
</context>
<context>
    <name>TreeModel</name>
    <message>
        <source>Entries linked with Tavro</source>
        <translation>Mit Tavro verknüpfte Einträge</translation>
    </message>
    <message>
        <source>Entries not linked with Tavro</source>
        <translation>Nicht mit Tavro verknüpfte Einträge</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Zeit</translation>
    </message>
    <message>
        <source>Booking or unlinking not confirmed by Tavro: choose &quot;Settle Unconfirmed Booking&quot;</source>
        <translation>Buchung oder Aufheben von Tavro nicht bestätigt: Wählen Sie „Unbestätigte Buchung klären“</translation>
    </message>
    <message>
        <source>the filter and &quot;Hide entries under&quot;</source>
        <translation>den Filter und „Einträge ausblenden unter“</translation>
    </message>
    <message>
        <source>the filter</source>
        <translation>den Filter</translation>
    </message>
    <message>
        <source>&quot;Hide entries under&quot;</source>
        <translation>„Einträge ausblenden unter“</translation>
    </message>
    <message>
        <source>%1 shown, %2 hidden by %3</source>
        <translation>%1 angezeigt, %2 ausgeblendet durch %3</translation>
    </message>
</context>
<context>
    <name>WeekChart</name>
    <message>
        <source>%1 to book %2</source>
        <translation>%1, zu buchen %2</translation>
    </message>
    <message>
        <source>%1
recorded %2
linked %3
unlinked %4
away %5
to book %6</source>
        <translation>%1
aufgezeichnet %2
verknüpft %3
unverknüpft %4
abwesend %5
zu buchen %6</translation>
    </message>
    <message>
        <source>Days of the week</source>
        <translation>Tage der Woche</translation>
    </message>
    <message>
        <source>dddd d MMMM</source>
        <extracomment>The date at the start of a row of the week view, as QLocale::toString reads it</extracomment>
        <translation>dddd, d. MMMM</translation>
    </message>
</context>
<context>
    <name>WeekView</name>
    <message>
        <source>Week</source>
        <translation>Woche</translation>
    </message>
    <message>
        <source>Previous Week</source>
        <translation>Vorige Woche</translation>
    </message>
    <message>
        <source>Next Week</source>
        <translation>Nächste Woche</translation>
    </message>
    <message>
        <source>%1 to %2</source>
        <translation>%1 bis %2</translation>
    </message>
    <message>
        <source>Week: recorded %1, linked %2, unlinked %3, away %4; still to book %5</source>
        <translation>Woche: aufgezeichnet %1, verknüpft %2, unverknüpft %3, abwesend %4; noch zu buchen %5</translation>
    </message>
</context>
<context>
    <name>WindowDocks</name>
    <message>
        <source>Linked &amp;Entries</source>
        <translation>Verknüpfte &amp;Einträge</translation>
    </message>
    <message>
        <source>T&amp;imeline</source>
        <translation>Zeit&amp;leiste</translation>
    </message>
</context>
<context>
    <name>X11ForegroundWindowSource</name>
    <message>
        <source>This is a Wayland session: TavroDesk can only see windows of programs that run through XWayland. Time in native Wayland windows is not recorded.</source>
        <translation>Dies ist eine Wayland-Sitzung: TavroDesk sieht nur Fenster von Programmen, die über XWayland laufen. Zeit in reinen Wayland-Fenstern wird nicht aufgezeichnet.</translation>
    </message>
</context>
</TS>

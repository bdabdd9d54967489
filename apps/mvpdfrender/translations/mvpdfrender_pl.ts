<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>Tool</name>
    <message>
        <source>Try &apos;%1&apos;.</source>
        <translation>Spróbuj: &apos;%1&apos;.</translation>
    </message>
    <message>
        <source>cancelled</source>
        <translation>przerwano na żądanie użytkownika</translation>
    </message>
    <message>
        <source>Encoding of text inputs: utf-8 (the default), cp1250, iso-8859-2, cp852, utf-16 and others of iconv.</source>
        <translation>Kodowanie plików tekstowych: utf-8 (domyślne), cp1250, iso-8859-2, cp852, utf-16 i inne znane iconv.</translation>
    </message>
    <message>
        <source>reading standard input from the terminal; end it with Ctrl-D</source>
        <translation>czytanie standardowego wejścia z terminala; zakończ je klawiszami Ctrl-D</translation>
    </message>
    <message>
        <source>Usage: %1 COMMAND [options]

Commands:
  lines INPUT -o OUT.pdf        render printout lines as a multi-column report
  documents INPUT... -o OUT.pdf render documents (.txt or .json) one after another
  quickview [INPUT]             turn printer lines into display lines

Run &apos;%1 COMMAND --help&apos; for the options of a command, &apos;man %1&apos; for the manual.
Exit status: 0 success, 1 render failed, 2 usage or input error, 130 cancelled.
</source>
        <translation>Użycie: %1 POLECENIE [opcje]

Polecenia:
  lines WEJŚCIE -o WYJ.pdf          wiersze wydruku jako raport w kolumnach
  documents WEJŚCIE... -o WYJ.pdf   dokumenty (.txt lub .json) jeden po drugim
  quickview [WEJŚCIE]               wiersze drukarki jako wiersze do podglądu

&apos;%1 POLECENIE --help&apos; podaje opcje polecenia, &apos;man %1&apos; otwiera podręcznik.
Kod wyjścia: 0 sukces, 1 błąd tworzenia, 2 błąd użycia lub danych, 130 przerwano.
</translation>
    </message>
    <message>
        <source>unknown command &quot;%1&quot;</source>
        <translation>nieznane polecenie &quot;%1&quot;</translation>
    </message>
    <message>
        <source>%1, item %2: %3</source>
        <translation>%1, element %2: %3</translation>
    </message>
    <message>
        <source>%1, item %2: image &quot;%3&quot; scaled from %4 to %5 to fit a column</source>
        <translation>%1, element %2: obraz &quot;%3&quot; zmniejszony w skali z %4 do %5, by zmieścił się w kolumnie</translation>
    </message>
    <message>
        <source>unknown key &quot;%1&quot; (expected &quot;documents&quot;)</source>
        <translation>nieznany klucz &quot;%1&quot; (oczekiwano &quot;documents&quot;)</translation>
    </message>
    <message>
        <source>&quot;documents&quot; must be an array</source>
        <translation>&quot;documents&quot; musi być tablicą</translation>
    </message>
    <message>
        <source>expected an object or an array of documents</source>
        <translation>oczekiwano obiektu albo tablicy dokumentów</translation>
    </message>
    <message>
        <source>document %1</source>
        <translation>dokument %1</translation>
    </message>
    <message>
        <source>a document must be an object</source>
        <translation>dokument musi być obiektem</translation>
    </message>
    <message>
        <source>unknown key &quot;%1&quot;</source>
        <translation>nieznany klucz &quot;%1&quot;</translation>
    </message>
    <message>
        <source>&quot;title&quot; must be a string</source>
        <translation>&quot;title&quot; musi być tekstem</translation>
    </message>
    <message>
        <source>&quot;items&quot; must be an array</source>
        <translation>&quot;items&quot; musi być tablicą</translation>
    </message>
    <message>
        <source>%1, item %2</source>
        <translation>%1, element %2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; must be true or false</source>
        <translation>&quot;%1&quot; musi mieć wartość true albo false</translation>
    </message>
    <message>
        <source>an item must be a string or an object</source>
        <translation>element musi być tekstem albo obiektem</translation>
    </message>
    <message>
        <source>an item needs exactly one of &quot;text&quot; and &quot;image&quot;</source>
        <translation>element musi mieć dokładnie jeden z kluczy &quot;text&quot; i &quot;image&quot;</translation>
    </message>
    <message>
        <source>&quot;text&quot; must be a string</source>
        <translation>&quot;text&quot; musi być tekstem</translation>
    </message>
    <message>
        <source>&quot;scale&quot; belongs to images</source>
        <translation>&quot;scale&quot; dotyczy tylko obrazów</translation>
    </message>
    <message>
        <source>&quot;format&quot; must be a whole number from %1 to %2</source>
        <translation>&quot;format&quot; musi być liczbą całkowitą od %1 do %2</translation>
    </message>
    <message>
        <source>&quot;image&quot; must be a path</source>
        <translation>&quot;image&quot; musi być ścieżką</translation>
    </message>
    <message>
        <source>&quot;format&quot; belongs to text lines</source>
        <translation>&quot;format&quot; dotyczy tylko wierszy tekstu</translation>
    </message>
    <message>
        <source>&quot;scale&quot; must be a number from %1 to %2</source>
        <translation>&quot;scale&quot; musi być liczbą od %1 do %2</translation>
    </message>
    <message>
        <source>&quot;heightFactor&quot; must be a number from 0 to %1</source>
        <translation>&quot;heightFactor&quot; musi być liczbą od 0 do %1</translation>
    </message>
    <message>
        <source>%1: malformed JSON at offset %2: %3</source>
        <translation>%1: błędny JSON w bajcie %2: %3</translation>
    </message>
    <message>
        <source>Renders documents one after another through 2 or 3 columns per page. A .txt input is one document of printout lines; a .json input describes documents with items (see the manual). With SOURCE_DATE_EPOCH set, the same inputs and options give the same file, byte for byte.</source>
        <translation>Składa dokumenty jeden po drugim w 2 lub 3 kolumnach na stronie. Plik .txt to jeden dokument z wierszy wydruku; plik .json opisuje dokumenty z elementami (zob. podręcznik). Przy ustawionej zmiennej SOURCE_DATE_EPOCH te same dane i opcje dają ten sam plik, bajt w bajt.</translation>
    </message>
    <message>
        <source>.txt or .json files.</source>
        <translation>Pliki .txt lub .json.</translation>
    </message>
    <message>
        <source>Number the documents in input order.</source>
        <translation>Numeruje dokumenty w kolejności plików wejściowych.</translation>
    </message>
    <message>
        <source>Number of the first document (default 1).</source>
        <translation>Numer pierwszego dokumentu (domyślnie 1).</translation>
    </message>
    <message>
        <source>Leave out the outline (one bookmark per document).</source>
        <translation>Pomija konspekt (zakładkę każdego dokumentu).</translation>
    </message>
    <message>
        <source>Place documents as they come: no label kept with its document&apos;s first line, no first or last line kept from standing alone, no (cd.) label.</source>
        <translation>Układa dokumenty tak, jak przychodzą: etykieta nie trzyma się pierwszego wiersza dokumentu, pierwszy i ostatni wiersz mogą zostać same, bez etykiet (cd.).</translation>
    </message>
    <message>
        <source>documents takes at least one INPUT</source>
        <translation>documents wymaga co najmniej jednego pliku WEJŚCIE</translation>
    </message>
    <message>
        <source>--first-number needs --numbered</source>
        <translation>--first-number wymaga --numbered</translation>
    </message>
    <message>
        <source>--first-number takes a whole number from 0 to %1</source>
        <translation>--first-number przyjmuje liczbę całkowitą od 0 do %1</translation>
    </message>
    <message>
        <source>the inputs hold no documents</source>
        <translation>pliki wejściowe nie zawierają dokumentów</translation>
    </message>
    <message>
        <source>--first-number %1 numbers %2 documents past %3</source>
        <translation>--first-number %1 numeruje %2 dokumentów ponad %3</translation>
    </message>
    <message>
        <source>of documents</source>
        <translation>dokumentów</translation>
    </message>
    <message>
        <source>out of memory</source>
        <translation>brak pamięci</translation>
    </message>
    <message>
        <source>internal error, stopped</source>
        <translation>błąd wewnętrzny, zatrzymano</translation>
    </message>
    <message>
        <source>the file ends before its pixels do</source>
        <translation>plik kończy się przed końcem pikseli</translation>
    </message>
    <message>
        <source>the file ends before its trailer</source>
        <translation>plik kończy się przed swoim zakończeniem</translation>
    </message>
    <message>
        <source>the file ends before its images do</source>
        <translation>plik kończy się przed końcem obrazów</translation>
    </message>
    <message>
        <source>an image in it is larger than the limit of %1 megapixels</source>
        <translation>zawarty w nim obraz przekracza limit %1 megapikseli</translation>
    </message>
    <message>
        <source>image &quot;%1&quot;: reading interrupted</source>
        <translation>obraz &quot;%1&quot;: odczyt przerwany</translation>
    </message>
    <message>
        <source>image &quot;%1&quot;</source>
        <translation>obraz &quot;%1&quot;</translation>
    </message>
    <message>
        <source>%1: not an image in a format that can be read</source>
        <translation>%1: to nie jest obraz w formacie, który można odczytać</translation>
    </message>
    <message>
        <source>%1: the file does not declare its size</source>
        <translation>%1: plik nie podaje swoich wymiarów</translation>
    </message>
    <message>
        <source>%1: %2 x %3 pixels, more than the limit of %4 megapixels</source>
        <translation>%1: %2 x %3 pikseli, ponad limit %4 megapikseli</translation>
    </message>
    <message>
        <source>%1: damaged or incomplete (%2)</source>
        <translation>%1: uszkodzony lub niekompletny (%2)</translation>
    </message>
    <message>
        <source>is a directory</source>
        <translation>jest folderem</translation>
    </message>
    <message>
        <source>is a device, not a file</source>
        <translation>jest urządzeniem, nie plikiem</translation>
    </message>
    <message>
        <source>is not a regular file</source>
        <translation>nie jest zwykłym plikiem</translation>
    </message>
    <message>
        <source>larger than what is left of the limit of %1 on all inputs together</source>
        <translation>większy niż to, co zostało z limitu %1 na wszystkie pliki wejściowe razem</translation>
    </message>
    <message>
        <source>larger than the limit of %1</source>
        <translation>większy niż limit %1</translation>
    </message>
    <message>
        <source>standard input</source>
        <translation>standardowe wejście</translation>
    </message>
    <message>
        <source>cannot read standard input: %1</source>
        <translation>nie można czytać standardowego wejścia: %1</translation>
    </message>
    <message>
        <source>standard input %1</source>
        <translation>standardowe wejście %1</translation>
    </message>
    <message>
        <source>%1: no such file</source>
        <translation>%1: nie ma takiego pliku</translation>
    </message>
    <message>
        <source>%1: cannot read: %2</source>
        <translation>%1: nie można odczytać: %2</translation>
    </message>
    <message>
        <source>%1: cannot read: it gave %2 of its %3 bytes</source>
        <translation>%1: nie można odczytać: dał %2 z %3 bajtów</translation>
    </message>
    <message>
        <source>duplicate key &quot;%1&quot;</source>
        <translation>powtórzony klucz &quot;%1&quot;</translation>
    </message>
    <message>
        <source>malformed JSON at offset %1: not strict JSON (a raw control character or a lone surrogate in a string)</source>
        <translation>błędny JSON w bajcie %1: to nie jest ścisły JSON (surowy znak sterujący albo samotny surogat w tekście)</translation>
    </message>
    <message>
        <source>, item %1</source>
        <translation>, element %1</translation>
    </message>
    <message>
        <source>Renders printout lines (one per line) into a PDF report in 3 columns, or 2 on pages with lines longer than %1 characters. With SOURCE_DATE_EPOCH set, the same input and options give the same file, byte for byte.</source>
        <translation>Składa wiersze wydruku (po jednym w wierszu pliku) w raport PDF w 3 kolumnach, albo w 2 na stronach z wierszami dłuższymi niż %1 znaków. Przy ustawionej zmiennej SOURCE_DATE_EPOCH te same dane i opcje dają ten sam plik, bajt w bajt.</translation>
    </message>
    <message>
        <source>Text file, or - for standard input.</source>
        <translation>Plik tekstowy albo - dla standardowego wejścia.</translation>
    </message>
    <message>
        <source>Heading line on top of every further column (repeatable).</source>
        <translation>Wiersz nagłówka na górze każdej kolejnej kolumny (można powtarzać).</translation>
    </message>
    <message>
        <source>Every page in 2 columns.</source>
        <translation>Każda strona w 2 kolumnach.</translation>
    </message>
    <message>
        <source>Convert printer control sequences first.</source>
        <translation>Najpierw przekształca sekwencje sterujące drukarki.</translation>
    </message>
    <message>
        <source>Make an outline entry (bookmark) of every line that matches &lt;regex&gt;.</source>
        <translation>Tworzy pozycję konspektu (zakładkę) z każdego wiersza pasującego do &lt;regex&gt;.</translation>
    </message>
    <message>
        <source>lines takes exactly one INPUT</source>
        <translation>lines wymaga dokładnie jednego pliku WEJŚCIE</translation>
    </message>
    <message>
        <source>--outline-pattern: %1 at offset %2</source>
        <translation>--outline-pattern: błąd wyrażenia na pozycji %2 (%1)</translation>
    </message>
    <message>
        <source>of lines</source>
        <translation>wierszy</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>nie można zapisać %1: %2</translation>
    </message>
    <message>
        <source>it is also an input of this run</source>
        <translation>jest też plikiem wejściowym tego uruchomienia</translation>
    </message>
    <message>
        <source>it is a block device</source>
        <translation>to urządzenie blokowe</translation>
    </message>
    <message>
        <source>it is not a file, a FIFO or a character device</source>
        <translation>to nie plik, kolejka FIFO ani urządzenie znakowe</translation>
    </message>
    <message>
        <source>standard output</source>
        <translation>standardowe wyjście</translation>
    </message>
    <message>
        <source>it is a terminal</source>
        <translation>to terminal</translation>
    </message>
    <message>
        <source>page %1 written, %2 %3</source>
        <translation>zapisano stronę %1, %2 %3</translation>
    </message>
    <message numerus="yes">
        <source>%n page(s) written</source>
        <translation>
            <numerusform>zapisano %n stronę</numerusform>
            <numerusform>zapisano %n strony</numerusform>
            <numerusform>zapisano %n stron</numerusform>
        </translation>
    </message>
    <message>
        <source>Prints printer lines as display lines: control sequences (ESC and one character) dropped, text after ESC E or ESC W spread to double width.</source>
        <translation>Wypisuje wiersze drukarki jako wiersze do podglądu: bez sekwencji sterujących (ESC i jeden znak), tekst po ESC E lub ESC W rozstrzelony do podwójnej szerokości.</translation>
    </message>
    <message>
        <source>Text file (default: standard input).</source>
        <translation>Plik tekstowy (domyślnie standardowe wejście).</translation>
    </message>
    <message>
        <source>Print nothing; exit 0 when one of the last &lt;n&gt; lines reads ANULOWANY, else 1 (0: all lines).</source>
        <translation>Nic nie wypisuje; kończy z kodem 0, gdy jeden z ostatnich &lt;n&gt; wierszy brzmi ANULOWANY, inaczej z kodem 1 (0: wszystkie wiersze).</translation>
    </message>
    <message>
        <source>quickview takes at most one INPUT</source>
        <translation>quickview przyjmuje najwyżej jeden plik WEJŚCIE</translation>
    </message>
    <message>
        <source>--cancelled takes a whole number of 0 or more</source>
        <translation>--cancelled przyjmuje liczbę całkowitą od 0 wzwyż</translation>
    </message>
    <message>
        <source>cannot write standard output: %1</source>
        <translation>nie można pisać na standardowe wyjście: %1</translation>
    </message>
    <message>
        <source>SOURCE_DATE_EPOCH takes whole seconds since 1970-01-01 UTC, not &quot;%1&quot;</source>
        <translation>SOURCE_DATE_EPOCH podaje pełne sekundy od 1970-01-01 UTC, a nie &quot;%1&quot;</translation>
    </message>
    <message>
        <source>Write the PDF to &lt;file&gt; (- for standard output).</source>
        <translation>Zapisuje PDF do pliku &lt;file&gt; (- na standardowe wyjście).</translation>
    </message>
    <message>
        <source>Report title (default: the input&apos;s name).</source>
        <translation>Tytuł raportu (domyślnie nazwa pliku wejściowego).</translation>
    </message>
    <message>
        <source>Second header line.</source>
        <translation>Drugi wiersz nagłówka.</translation>
    </message>
    <message>
        <source>Place that opens the dated header line.</source>
        <translation>Miejscowość na początku wiersza nagłówka z datą.</translation>
    </message>
    <message>
        <source>The day the report records, for its dated line (default: today, or the day of SOURCE_DATE_EPOCH).</source>
        <translation>Dzień, którego dotyczy raport, do wiersza z datą (domyślnie dziś albo dzień z SOURCE_DATE_EPOCH).</translation>
    </message>
    <message>
        <source>Size of the printout text in points, 0.5 to 6.9 (default 4.2); sets --ppi.</source>
        <translation>Wielkość tekstu wydruku w punktach, od 0.5 do 6.9 (domyślnie 4.2); ustawia --ppi.</translation>
    </message>
    <message>
        <source>Layout resolution, 72 to 1200 units per inch (default 120): lower gives larger text and fewer lines a page, higher the opposite; printout text prints at 500/&lt;n&gt; points.</source>
        <translation>Rozdzielczość układu, od 72 do 1200 jednostek na cal (domyślnie 120): mniejsza daje większy tekst i mniej wierszy na stronie, większa odwrotnie; tekst wydruku ma 500/&lt;n&gt; punktów.</translation>
    </message>
    <message>
        <source>Write PDF/A-1b, the archival profile.</source>
        <translation>Zapisuje PDF/A-1b, profil archiwalny.</translation>
    </message>
    <message>
        <source>Footers read &quot;Strona N z M&quot; (page N of M).</source>
        <translation>Stopki brzmią &quot;Strona N z M&quot;.</translation>
    </message>
    <message>
        <source>Draw a frame around every item with its scale and size.</source>
        <translation>Rysuje ramkę wokół każdego elementu z jego skalą i rozmiarem.</translation>
    </message>
    <message>
        <source>Print a line per page.</source>
        <translation>Wypisuje wiersz dla każdej strony.</translation>
    </message>
    <message>
        <source>Print nothing but errors.</source>
        <translation>Wypisuje tylko błędy.</translation>
    </message>
    <message>
        <source>missing the output file (-o OUT.pdf)</source>
        <translation>brak pliku wyjściowego (-o WYJ.pdf)</translation>
    </message>
    <message>
        <source>--date takes a day as YYYY-MM-DD, such as 2026-11-30</source>
        <translation>--date przyjmuje dzień w postaci RRRR-MM-DD, np. 2026-11-30</translation>
    </message>
    <message>
        <source>--ppi and --text-size set the same thing: give one of them</source>
        <translation>--ppi i --text-size ustawiają to samo: podaj jedną z nich</translation>
    </message>
    <message>
        <source>--ppi takes a whole number from %1 to %2</source>
        <translation>--ppi przyjmuje liczbę całkowitą od %1 do %2</translation>
    </message>
    <message>
        <source>the %1 heading lines leave no room for a line in a column</source>
        <translation>wiersze nagłówka (%1) nie zostawiają w kolumnie miejsca na wiersz</translation>
    </message>
    <message>
        <source>the outline pattern cannot be matched against line %1</source>
        <translation>wzorca konspektu nie da się dopasować do wiersza %1</translation>
    </message>
    <message>
        <source>the outline pattern takes too long to match (line %1)</source>
        <translation>dopasowanie wzorca konspektu trwa zbyt długo (wiersz %1)</translation>
    </message>
    <message>
        <source>no installed font for %1</source>
        <translation>brak zainstalowanej czcionki: %1</translation>
    </message>
    <message>
        <source>cannot write %1</source>
        <translation>nie można zapisać %1</translation>
    </message>
    <message>
        <source>nothing to render</source>
        <translation>brak danych do raportu</translation>
    </message>
    <message numerus="yes">
        <source>wrote %1 (%n page(s))</source>
        <translation>
            <numerusform>zapisano %1 (%n strona)</numerusform>
            <numerusform>zapisano %1 (%n strony)</numerusform>
            <numerusform>zapisano %1 (%n stron)</numerusform>
        </translation>
    </message>
    <message>
        <source> and %1 more</source>
        <translation> i %1 innych</translation>
    </message>
    <message numerus="yes">
        <source>%1: invalid UTF-8 on line(s) %2</source>
        <translation>
            <numerusform>%1: błędny UTF-8 w wierszu %2</numerusform>
            <numerusform>%1: błędny UTF-8 w wierszach %2</numerusform>
            <numerusform>%1: błędny UTF-8 w wierszach %2</numerusform>
        </translation>
    </message>
    <message>
        <source> (it looks like %1: try --encoding %2)</source>
        <translation> (wygląda na %1: spróbuj --encoding %2)</translation>
    </message>
    <message>
        <source>--encoding: unknown encoding &quot;%1&quot;</source>
        <translation>--encoding: nieznane kodowanie &quot;%1&quot;</translation>
    </message>
    <message>
        <source>%1: not valid %2 on line %3</source>
        <translation>%1: błędny tekst w kodowaniu %2 w wierszu %3</translation>
    </message>
    <message>
        <source>no such file or folder</source>
        <translation>nie ma takiego pliku ani folderu</translation>
    </message>
    <message>
        <source>permission denied</source>
        <translation>brak uprawnień</translation>
    </message>
    <message>
        <source>no space left on the disk</source>
        <translation>brak miejsca na dysku</translation>
    </message>
    <message>
        <source>the disk quota is used up</source>
        <translation>wyczerpany przydział miejsca na dysku</translation>
    </message>
    <message>
        <source>larger than the file-size limit</source>
        <translation>przekroczony limit wielkości pliku</translation>
    </message>
    <message>
        <source>the file system is read-only</source>
        <translation>system plików tylko do odczytu</translation>
    </message>
    <message>
        <source>it is a folder</source>
        <translation>to folder</translation>
    </message>
    <message>
        <source>an input or output error of the device</source>
        <translation>błąd wejścia-wyjścia urządzenia</translation>
    </message>
    <message>
        <source>[options] INPUT...</source>
        <translation>[opcje] WEJŚCIE...</translation>
    </message>
    <message>
        <source>[options] INPUT</source>
        <translation>[opcje] WEJŚCIE</translation>
    </message>
    <message>
        <source>[options] [INPUT]</source>
        <translation>[opcje] [WEJŚCIE]</translation>
    </message>
    <message>
        <source>INPUT...</source>
        <translation>WEJŚCIE...</translation>
    </message>
    <message>
        <source>INPUT</source>
        <translation>WEJŚCIE</translation>
    </message>
    <message>
        <source>[INPUT]</source>
        <translation>[WEJŚCIE]</translation>
    </message>
    <message>
        <source>no graphics application to compose the pages</source>
        <translation>brak aplikacji graficznej do składania stron</translation>
    </message>
    <message>
        <source>the file timestamp %1 is outside the years 1 to 9999</source>
        <translation>data pliku %1 wykracza poza lata od 1 do 9999</translation>
    </message>
    <message>
        <source>its folder was moved during the run; the report is %1</source>
        <translation>jego folder przeniesiono w trakcie pracy; raport to teraz %1</translation>
    </message>
    <message>
        <source>the page header (title, subtitle and date line) leaves no room for the report</source>
        <translation>nagłówek strony (tytuł, podtytuł i wiersz z datą) nie zostawia miejsca na raport</translation>
    </message>
    <message>
        <source>a PNG image</source>
        <translation>obraz PNG</translation>
    </message>
    <message>
        <source>a PDF document</source>
        <translation>dokument PDF</translation>
    </message>
    <message>
        <source>a JPEG image</source>
        <translation>obraz JPEG</translation>
    </message>
    <message>
        <source>a GIF image</source>
        <translation>obraz GIF</translation>
    </message>
    <message>
        <source>a ZIP archive</source>
        <translation>archiwum ZIP</translation>
    </message>
    <message>
        <source>a gzip archive</source>
        <translation>archiwum gzip</translation>
    </message>
    <message>
        <source>a program</source>
        <translation>program</translation>
    </message>
    <message>
        <source>a bzip2 archive</source>
        <translation>archiwum bzip2</translation>
    </message>
    <message>
        <source>an xz archive</source>
        <translation>archiwum xz</translation>
    </message>
    <message>
        <source>binary data</source>
        <translation>dane binarne</translation>
    </message>
    <message>
        <source>%1: not a text file (it looks like %2)</source>
        <translation>%1: to nie jest plik tekstowy (wygląda na: %2)</translation>
    </message>
    <message>
        <source>its folder was moved during the run; the report is in it, as %1</source>
        <translation>jego folder przeniesiono w trakcie pracy; raport jest w nim jako %1</translation>
    </message>
    <message>
        <source>Group an outline level of more than 500 bookmarks in parents of &lt;n&gt;, named by their pages (default 100; 0 leaves the outline flat).</source>
        <translation>Poziom spisu treści z więcej niż 500 zakładkami grupuje po &lt;n&gt; zakładek, nazwanych stronami, które obejmują (domyślnie 100; 0 zostawia spis płaski).</translation>
    </message>
    <message>
        <source>--outline-group takes 0 (a flat outline) or a whole number from 2 to %1</source>
        <translation>--outline-group przyjmuje 0 (płaski spis treści) albo liczbę całkowitą od 2 do %1</translation>
    </message>
    <message>
        <source>unknown option %1</source>
        <translation>nieznana opcja %1</translation>
    </message>
    <message>
        <source>unknown option %1; did you mean %2?</source>
        <translation>nieznana opcja %1; czy chodziło o %2?</translation>
    </message>
    <message>
        <source>Show this help.</source>
        <translation>Pokazuje tę pomoc.</translation>
    </message>
    <message>
        <source>Show this help (as --help).</source>
        <translation>Pokazuje tę pomoc (jak --help).</translation>
    </message>
    <message>
        <source>&quot;number&quot; must be a whole number from 1 to %1</source>
        <translation>&quot;number&quot; musi być liczbą całkowitą od 1 do %1</translation>
    </message>
    <message>
        <source>%1: this is a documents file: use %2 documents</source>
        <translation>%1: to plik dokumentów: użyj %2 documents</translation>
    </message>
    <message>
        <source>--text-size takes points from %1 to %2, such as 5 or %3</source>
        <translation>--text-size przyjmuje punkty od %1 do %2, np. 5 albo %3</translation>
    </message>
    <message>
        <source>a part of the path is not a folder</source>
        <translation>część ścieżki nie jest folderem</translation>
    </message>
    <message>
        <source>it is a terminal; redirect it to a file or a pipe</source>
        <translation>to terminal; skieruj wyjście do pliku albo potoku</translation>
    </message>
    <message>
        <source>unknown command &quot;%1&quot;; did you mean %2?</source>
        <translation>nieznane polecenie &quot;%1&quot;; czy chodziło o %2?</translation>
    </message>
    <message>
        <source>%1: an image goes into a document of a JSON file, such as {&quot;documents&quot;: [{&quot;items&quot;: [{&quot;image&quot;: %2}]}]}</source>
        <translation>%1: obraz umieszcza się w dokumencie pliku JSON, np. {&quot;documents&quot;: [{&quot;items&quot;: [{&quot;image&quot;: %2}]}]}</translation>
    </message>
    <message>
        <source>standard output</source>
        <comment>what a report is written to</comment>
        <translation>do standardowego wyjścia</translation>
    </message>
    <message>
        <source>the reader of the output has gone</source>
        <translation>odbiorca wyjścia przestał czytać</translation>
    </message>
    <message>
        <source>it is closed</source>
        <translation>jest zamknięte</translation>
    </message>
    <message>
        <source>its temporary file in %1: %2</source>
        <translation>jego plik tymczasowy w %1: %2</translation>
    </message>
    <message>
        <source>cancelled while writing %1, which has received only the first %2 bytes of the report</source>
        <translation>przerwano zapis %1; odbiorca otrzymał tylko pierwsze %2 bajtów raportu</translation>
    </message>
</context>
</TS>

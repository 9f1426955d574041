// Fills the mail form's fields from the page address's query (ProgNam, Contents), as the program
// opens the page. The values go into the fields as plain text, never into the page's markup.
(function () {
    function decode(text) {
        text = text.replace(/\+/g, " ");
        try {
            return decodeURIComponent(text);
        } catch (e) {
            return unescape(text);  // the program sends its 8-bit texts byte for byte
        }
    }
    var pairs = window.location.search.substring(1).split("&");
    for (var i = 0; i < pairs.length; i++) {
        var at = pairs[i].indexOf("=");
        if (at <= 0) continue;
        var field = document.getElementById(decode(pairs[i].substring(0, at)));
        if (field && field.form) field.value = decode(pairs[i].substring(at + 1));
    }
})();

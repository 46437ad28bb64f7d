document.write("<p id='from-script'>Текст из сценария: загружен.</p>");

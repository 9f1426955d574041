<!DOCTYPE html>
<html lang="nl">
<head>
<meta charset="utf-8">
<title>QuodoSoft - Mail de auteur</title>
<link rel="stylesheet" href="site.css">
</head>
<body>
<header>
<h1>QuodoSoft</h1>
<p>Mail de auteur</p>
</header>
<main>
<form action="/mailform_n_php.php" method="get">
<label for="ProgNam">Programma</label>
<input type="text" id="ProgNam" name="ProgNam" readonly>
<label for="Naam">Uw naam</label>
<input type="text" id="Naam" name="Naam">
<label for="Email">Uw e-mailadres</label>
<input type="text" id="Email" name="Email">
<label for="Contents">Bericht</label>
<textarea id="Contents" name="Contents" rows="12"></textarea>
<p><input type="submit" value="Verstuur"></p>
</form>
</main>
<footer><a href="/index_n.php">Terug naar de beginpagina</a> &middot; QuodoSoft</footer>
<script src="mailform.js"></script>
</body>
</html>
